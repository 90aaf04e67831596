#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The welcome page's way to the login page: a picture with a two-line caption.
class ExistingUserButton final : public juce::Button
{
public:
    ExistingUserButton();
    ~ExistingUserButton() override;

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    juce::Image normalPicture, overPicture, downPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ExistingUserButton)
};
