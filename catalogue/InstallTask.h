#pragma once

#include "catalogue/FormatLocations.h"

// One install, update or uninstall request for one product.
class InstallTask final
{
public:
    InstallTask (int productId, const juce::StringArray& formats, const FormatLocations& locations);

    int productId = 0;
    juce::StringArray formats; // "AU", "VST", "VST64", "RTAS", in the order the caller added them
    FormatLocations locations;
};

// The caller's list of tasks; it deletes them when cleared or destroyed.
using InstallTaskList = juce::OwnedArray<InstallTask>;
