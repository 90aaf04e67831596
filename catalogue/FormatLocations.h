#pragma once

#include <juce_core/juce_core.h>

// One folder per plug-in format: where a format was found installed, or where to act on it.
class FormatLocations final
{
public:
    FormatLocations() = default;

    // Sets all four folders to the empty String.
    void clear();

    juce::String rtas, vst, vst64, au;
};
