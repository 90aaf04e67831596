#pragma once

#include <juce_core/juce_core.h>

#include <string>
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

// Writes an executable script with the text (line ends as given); true when it was written.
bool writeScript (const juce::File& file, const juce::String& text);

// Runs a shell command line; its exit status (-1 when it could not start).
int runShell (const juce::String& commandLine);

// Zips the named top entries (a shell word list) of the folder with Info-ZIP's zip, storing
// links as links; options go to zip. True when it was written.
bool zipWithInfoZip (const juce::File& folder, const juce::String& entries, const juce::File& archive,
                     const juce::String& options = "-y");

// Overwrites eight bytes of the entry's data, at the offset into it, leaving the listing intact.
bool damageEntryData (const juce::File& archive, const juce::String& entryName, int offsetIntoData);

// One entry of a hand-made archive: its name and bytes exactly as given (neither need be valid
// text), stored as a link (Unix mode 0120777, the bytes being its target) or as a file.
struct RawZipEntry
{
    std::string name;
    std::string data;
    bool isLink = false;
};

// Replaces the archive with a zip of the entries, uncompressed, in the order given.
bool writeRawZip (const juce::File& archive, const std::vector<RawZipEntry>& entries);

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
