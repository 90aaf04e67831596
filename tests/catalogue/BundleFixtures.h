#pragma once

#include <juce_core/juce_core.h>

#include <utility>
#include <vector>

namespace BundleFixtures
{
using PlistEntries = std::vector<std::pair<juce::String, juce::String>>;

// A plist laid out as Python's plistlib writes one (declaration, DOCTYPE, tab indents),
// holding the keys in the given order.
juce::String makePlistText (const PlistEntries& entries);

// Writes <folder>/<name>/Contents/Info.plist with the text; returns the plist file.
juce::File writeBundle (const juce::File& folder, const juce::String& name, const juce::String& plistText);

// A bundle whose plist holds the version as plistlib would write it.
juce::File writeBundleWithVersion (const juce::File& folder, const juce::String& name, const juce::String& version);

// A new empty folder under the system's temporary folder, deleted with the object.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();

    const juce::File& getFile() const noexcept { return folder; }
    juce::File getChild (const juce::String& path) const;

    // The child's path with a closing "/".
    juce::String getPath (const juce::String& childPath) const;

private:
    juce::File folder;
};
} // namespace BundleFixtures
