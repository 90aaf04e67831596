#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The 34 by 34 settings icon of the product status screen.
class SettingsButton final : public juce::Button
{
public:
    SettingsButton();
    ~SettingsButton() override;

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    juce::Image normalPicture, overPicture, downPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsButton)
};
