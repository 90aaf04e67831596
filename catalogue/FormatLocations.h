#pragma once

#include <juce_core/juce_core.h>

// One folder per plug-in format: where a format was found installed, or where to act on it.
class FormatLocations final
{
public:
    FormatLocations() = default;

    // Sets all four folders to the empty String.
    void clear();

    // The folder of "RTAS", "VST", "VST64" or "AU" (compared exactly); empty for any other name.
    juce::String getForFormat (const juce::String& format) const;

    juce::String rtas, vst, vst64, au;
};
