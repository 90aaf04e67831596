#pragma once

#include <juce_core/juce_core.h>

// One downloadable plug-in bundle or file of a product, in one format.
class ComponentRecord final
{
public:
    ComponentRecord (const juce::String& name, const juce::String& format, const juce::String& platform,
                     const juce::String& url, bool online, bool remove);

    juce::String name;     // bundle or file name in the plug-in folder, and the archive's base name
    juce::String format;   // "RTAS", "VST", "VST64" or "AU"
    juce::String platform; // "MAC"
    juce::String url;      // server address when online, else a path in the offline repository
    float installedVersion = 0.0f;
    bool online = false;
    bool remove = false; // obsolete file that installing deletes
};
