#include "resources/ResourceArchive.h"

extern const unsigned char resourceArchiveData[];
extern const std::size_t resourceArchiveDataSize;

ResourceArchive::ResourceArchive()
    : zipFile (new juce::MemoryInputStream (resourceArchiveData, resourceArchiveDataSize, false), true)
{
}

ResourceArchive& ResourceArchive::getInstance()
{
    static ResourceArchive instance;
    return instance;
}

std::unique_ptr<juce::InputStream> ResourceArchive::createStreamFor (const char* entryName)
{
    auto index = zipFile.getIndexOfFileName (juce::String::fromUTF8 (entryName), false);

    if (index < 0)
        return {};

    return std::unique_ptr<juce::InputStream> (zipFile.createStreamForEntry (index));
}

juce::Image ResourceArchive::decodeImage (const char* entryName)
{
    if (auto stream = createStreamFor (entryName))
    {
        // The PNG reader is only handed what starts like a PNG.
        juce::PNGImageFormat png;
        auto isPng = png.canUnderstand (*stream);
        stream->setPosition (0);

        if (isPng)
            return png.decodeImage (*stream);
    }

    return {};
}
