#pragma once

#include <juce_core/juce_core.h>

// Unpacks one component archive into the temporary folder, trusting nothing in it: an archive
// with a name that is not UTF-8 is refused whole; entries that would land outside the folder or
// below a link, and links that lead out of the component's own top folder, are refused; and a
// file counts as unpacked only when its size and CRC-32 match the archive's listing.
class ArchiveUnpacker final
{
public:
    // Writes every safe entry of the archive (a seekable stream) below the folder, overwriting
    // what is there. True when the component's own entries all arrived whole and its top entry
    // (a real folder or file, not a link) exists; otherwise that top entry is deleted again.
    static bool unpack (juce::InputStream& archive, const juce::String& folder, const juce::String& componentName);

    // No archive is read beyond this, well above any real plug-in bundle.
    static constexpr juce::int64 maxArchiveBytes = (juce::int64) 2 * 1024 * 1024 * 1024;

    // The bound for an archive read into the folder's volume: maxArchiveBytes, or less when the
    // volume cannot hold that much.
    static juce::int64 getArchiveByteLimit (const juce::String& folder);

    // True when a link stored at the entry path below the folder with that target stays inside the
    // component's top folder: its relative target, walked from the link's own folder as the kernel
    // would, through the links already in the folder, never leaves it. A target that is not clean
    // text, or leads through more links than the kernel follows, never stays inside.
    static bool isLinkInsideComponent (const juce::String& folder, const juce::String& entryPath,
                                       const juce::String& target, const juce::String& componentName);

private:
    ArchiveUnpacker() = delete;
};
