#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The welcome page's way to the demo downloads: a picture with a three-line caption.
class DownloadDemoButton final : public juce::Button
{
public:
    DownloadDemoButton();
    ~DownloadDemoButton() override;

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    juce::Image normalPicture, overPicture, downPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DownloadDemoButton)
};
