#pragma once

#include <juce_core/juce_core.h>

#include <utility>
#include <vector>

class ProductCatalogue;

// Plug-in bundles, their archives and catalogue documents, as tests and benchmarks lay them out.
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

// Replaces the archive with a zip of every file below the folder, each named by its path from
// there, then of the extra entries (name in the archive, text). True when it was written.
bool zipFolder (const juce::File& folder, const juce::File& archive, int compressionLevel = 6,
                const std::vector<std::pair<juce::String, juce::String>>& extraEntries = {});

// An archive holding at its top a bundle with the version in its plist and the binary as
// Contents/MacOS/binary.
bool writeBundleArchive (const juce::File& archive, const juce::String& name, const juce::String& version,
                         const juce::MemoryBlock& binary, int compressionLevel = 6);

// Elements of a components document as the server sends it.
juce::String componentXml (const juce::String& format, const juce::String& name, bool remove = false);
juce::String productXml (int id, const juce::String& title, const juce::String& latestVersion, int displayOrder,
                         const juce::String& componentsXml = {});

// Holds the document as the server's (online) or the offline repository's, with the other
// dropped, and builds the catalogue from it.
ProductCatalogue& buildCatalogue (const juce::String& xml, bool online, std::atomic<double>* progress = nullptr);

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
