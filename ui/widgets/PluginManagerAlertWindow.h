#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The program's modal prompt with custom content and buttons.
class PluginManagerAlertWindow : public juce::AlertWindow
{
public:
    PluginManagerAlertWindow (const juce::String& title,
                              const juce::String& message,
                              juce::MessageBoxIconType iconType);
    ~PluginManagerAlertWindow() override;

    void paint (juce::Graphics& g) override;

    // Runs the window modally; returns the return value of the button that closed it.
    int runModalLoop();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginManagerAlertWindow)
};
