#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The program's default look-and-feel: the framework's, with every alert window it creates (message
// boxes, task windows) kept in front while it is the top modal window.
class ProgramLookAndFeel final : public juce::LookAndFeel_V4
{
public:
    ProgramLookAndFeel();
    ~ProgramLookAndFeel() override;

    juce::AlertWindow* createAlertWindow (const juce::String& title, const juce::String& message,
                                          const juce::String& button1, const juce::String& button2,
                                          const juce::String& button3, juce::MessageBoxIconType iconType,
                                          int numButtons, juce::Component* associatedComponent) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProgramLookAndFeel)
};
