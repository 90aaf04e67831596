#pragma once

#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>

// The zip archive built into the program with the artwork ("Art/...") and the string tables
// ("Localisation/..."). One per process, built on first use, destroyed at exit.
class ResourceArchive final
{
public:
    static ResourceArchive& getInstance();

    // A new stream over the decompressed entry, owned by the caller, or null when no entry has
    // exactly this (case-sensitive) name.
    std::unique_ptr<juce::InputStream> createStreamFor (const char* entryName);

    // Decodes a PNG entry; an invalid image when the entry is missing or not a PNG.
    juce::Image decodeImage (const char* entryName);

    const juce::ZipFile& getZipFile() const noexcept { return zipFile; }

private:
    ResourceArchive();

    juce::ZipFile zipFile;

    JUCE_DECLARE_NON_COPYABLE (ResourceArchive)
};
