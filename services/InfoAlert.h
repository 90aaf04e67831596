#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A message box with the information icon and one button, every text looked up in the string
// table. Callable from a task thread: the box is shown on the message thread while the caller
// waits for it to close.
class InfoAlert final
{
public:
    static void show (const juce::String& titleKey, const juce::String& messageKey, const juce::String& buttonKey = "OK");

private:
    InfoAlert() = delete;
};
