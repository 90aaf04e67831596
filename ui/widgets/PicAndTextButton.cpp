#include "ui/widgets/PicAndTextButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/PicturePainting.h"
#include "ui/widgets/ProgramFonts.h"

PicAndTextButton::PicAndTextButton (const juce::String& pictureEntry)
    : juce::Button ({})
{
    auto& archive = ResourceArchive::getInstance();
    auto entry = pictureEntry.toStdString();
    normalPicture = archive.decodeImage (entry.c_str());
    overPicture = archive.decodeImage (entry.c_str());
    downPicture = archive.decodeImage (entry.c_str());
    shinePicture = archive.decodeImage ("Art/shine_all.png");

    setSize (134, 30);
}

PicAndTextButton::~PicAndTextButton() = default;

void PicAndTextButton::resized()
{
}

juce::Font PicAndTextButton::getCaptionFont (bool pressed)
{
    return ProgramFonts::getFont ("Arial Black", pressed ? 15.8f : 16.2f, juce::Font::plain);
}

juce::Rectangle<int> PicAndTextButton::getCaptionArea (bool pressed)
{
    return pressed ? juce::Rectangle<int> (34, 6, 92, 20) : juce::Rectangle<int> (32, 6, 98, 20);
}

void PicAndTextButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    // Pressed: opaque, the caption two pixels to the right in a narrower box, the shine inset.
    auto pressed = isEnabled() && isButtonDown;
    auto alpha = ! isEnabled() ? 0.1f : (isButtonDown ? 1.0f : (isMouseOverButton ? 0.83f : 0.9f));
    auto& picture = pressed ? downPicture : ((isEnabled() && isMouseOverButton) ? overPicture : normalPicture);

    g.setColour (juce::Colours::black.withAlpha (alpha));
    PicturePainting::fitInto (g, picture, 0, 0, 134, 30);

    PicturePainting::drawCaption (g, getButtonText(), getCaptionFont (pressed), juce::Colours::white.withAlpha (alpha),
                                  getCaptionArea (pressed));

    g.setColour (juce::Colours::black.withAlpha (alpha));

    if (pressed)
        PicturePainting::fitInto (g, shinePicture, 1, 1, 132, 28);
    else
        PicturePainting::fitInto (g, shinePicture, 0, 0, 134, 30);
}
