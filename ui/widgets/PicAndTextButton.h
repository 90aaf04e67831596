#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A 134 by 30 bar button: a picture, the button's text as caption, and a shine over both.
class PicAndTextButton final : public juce::Button
{
public:
    // The archive entry of the picture shown in every state.
    explicit PicAndTextButton (const juce::String& pictureEntry);
    ~PicAndTextButton() override;

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

    // The caption's font and box; pressed, it is smaller and two pixels to the right.
    static juce::Font getCaptionFont (bool pressed);
    static juce::Rectangle<int> getCaptionArea (bool pressed);

private:
    juce::Image normalPicture, overPicture, downPicture, shinePicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PicAndTextButton)
};
