#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class AnimTicker;

// The product table's install icon. Mode 0 shows the update look, whose picture pulses with the
// ticker's "updatebuttonbounce" value; any other mode shows the install look. A new button is in
// the install look and not attached to the ticker.
class InstallButton : public juce::Button
{
public:
    // The ticker holding "updatebuttonbounce"; not owned, and must outlive the update look.
    explicit InstallButton (AnimTicker* bounceTicker);
    ~InstallButton() override;

    // Mode 0 attaches the button to "updatebuttonbounce" (once per call), any other mode detaches
    // one attachment. Does not repaint.
    void setMode (int newMode);
    int getMode() const noexcept { return mode; }

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    AnimTicker* ticker;
    juce::Image installNormal, installOver, installDown;
    juce::Image updateNormal, updateOver, updateDown;
    int mode = 1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstallButton)
};
