#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The next / submit arrow of the button bar.
class GoNextButton final : public juce::Button
{
public:
    GoNextButton();
    ~GoNextButton() override;

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    juce::Image normalPicture, overPicture, downPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GoNextButton)
};
