#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The uninstall icon of the product table; shows a smaller can while pressed.
class TrashCanButton : public juce::Button
{
public:
    TrashCanButton();
    ~TrashCanButton() override;

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    juce::Image normalPicture, overPicture, downPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TrashCanButton)
};
