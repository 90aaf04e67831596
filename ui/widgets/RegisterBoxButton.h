#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The welcome page's way to account registration: a picture with a two-line caption.
class RegisterBoxButton final : public juce::Button
{
public:
    RegisterBoxButton();
    ~RegisterBoxButton() override;

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    juce::Image normalPicture, overPicture, downPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RegisterBoxButton)
};
