#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The quit button of the button bar.
class GoCloseButton final : public juce::Button
{
public:
    GoCloseButton();
    ~GoCloseButton() override;

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    juce::Image normalPicture, overPicture, downPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GoCloseButton)
};
