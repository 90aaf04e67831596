#pragma once

#include <juce_core/juce_core.h>

// Numbers in text from outside (versions, orders), read as the framework reads them (leading
// blanks, a sign, then the leading number; no number gives 0) but range-checked: a number that
// is not finite or does not fit the type reads as no number, 0.
class NumberText final
{
public:
    static double readDouble (const juce::String& text);

    // Also 0 beyond the float range.
    static float readFloat (const juce::String& text);

    static int readInt (const juce::String& text);

private:
    NumberText() = delete;
};
