#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Drawing shared by the picture buttons. A missing (invalid) picture is skipped. Pictures take
// their opacity from the alpha of the current colour.
namespace PicturePainting
{
// The whole picture, scaled into the rectangle.
void drawWhole (juce::Graphics& g, const juce::Image& picture, int x, int y, int w, int h);

// The whole picture, scaled to fit the rectangle with its aspect ratio kept, centred.
void fitInto (juce::Graphics& g, const juce::Image& picture, int x, int y, int w, int h);

// A centred one-line caption, shortened with an ellipsis when it does not fit.
void drawCaption (juce::Graphics& g, const juce::String& text, const juce::Font& font,
                  juce::Colour colour, juce::Rectangle<int> box);

// The 205-pixel welcome picture for the state, fully opaque. Answers false when the button is
// down: a pressed welcome button shows its picture without a caption.
bool paintWelcomePicture (juce::Graphics& g, bool isOver, bool isDown,
                          const juce::Image& normal, const juce::Image& over, const juce::Image& down);

// The 26-pixel icon looks: disabled (over picture, one tenth opacity), pressed (down picture
// shrunk by a pixel on every side), over and normal.
void paintIcon (juce::Graphics& g, bool isEnabled, bool isOver, bool isDown,
                const juce::Image& normal, const juce::Image& over, const juce::Image& down);
} // namespace PicturePainting
