#include "ui/widgets/PicturePainting.h"

namespace PicturePainting
{
void drawWhole (juce::Graphics& g, const juce::Image& picture, int x, int y, int w, int h)
{
    if (picture.isValid())
        g.drawImage (picture, x, y, w, h, 0, 0, picture.getWidth(), picture.getHeight(), false);
}

void fitInto (juce::Graphics& g, const juce::Image& picture, int x, int y, int w, int h)
{
    if (picture.isValid())
        g.drawImageWithin (picture, x, y, w, h, juce::RectanglePlacement::centred, false);
}

void drawCaption (juce::Graphics& g, const juce::String& text, const juce::Font& font,
                  juce::Colour colour, juce::Rectangle<int> box)
{
    g.setColour (colour);
    g.setFont (font);
    g.drawText (text, box, juce::Justification::centred, true);
}

bool paintWelcomePicture (juce::Graphics& g, bool isOver, bool isDown,
                          const juce::Image& normal, const juce::Image& over, const juce::Image& down)
{
    g.setColour (juce::Colours::black);
    drawWhole (g, isDown ? down : (isOver ? over : normal), 0, 0, 205, 205);
    return ! isDown;
}

void paintIcon (juce::Graphics& g, bool isEnabled, bool isOver, bool isDown,
                const juce::Image& normal, const juce::Image& over, const juce::Image& down)
{
    if (! isEnabled)
    {
        g.setColour (juce::Colours::black.withAlpha (0.1f));
        drawWhole (g, over, 0, 0, 26, 26);
    }
    else if (isDown)
    {
        g.setColour (juce::Colours::black.withAlpha (0.7f));
        drawWhole (g, down, 1, 1, 24, 24);
    }
    else if (isOver)
    {
        g.setColour (juce::Colours::black.withAlpha (0.7f));
        drawWhole (g, over, 0, 0, 26, 26);
    }
    else
    {
        g.setColour (juce::Colours::black.withAlpha (0.9f));
        drawWhole (g, normal, 0, 0, 26, 26);
    }
}
} // namespace PicturePainting
