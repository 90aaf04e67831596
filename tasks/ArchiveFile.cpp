#include "tasks/ArchiveFile.h"

namespace
{
constexpr size_t outputBufferSize = 64 * 1024;
}

ArchiveFile::ArchiveFile (const juce::File& folder)
{
    folder.createDirectory();
    file = folder.getChildFile (".download-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()) + ".zip");
    output = std::make_unique<juce::FileOutputStream> (file, outputBufferSize);

    // A file left by an earlier run under the same name is not continued.
    writeFailed = ! output->openedOk() || ! output->truncate().wasOk();
}

ArchiveFile::~ArchiveFile()
{
    output.reset();
    file.deleteFile();
}

bool ArchiveFile::append (const void* data, size_t numBytes)
{
    if (! writeFailed && output != nullptr)
        writeFailed = ! output->write (data, numBytes);

    if (! writeFailed)
        size += (juce::int64) numBytes;

    return ! writeFailed;
}

bool ArchiveFile::finishWriting()
{
    if (output != nullptr)
    {
        output->flush();
        writeFailed = writeFailed || output->getStatus().failed();
        output.reset();
    }

    return ! writeFailed;
}
