#pragma once

#include <juce_core/juce_core.h>

// A downloaded archive kept in a file of its own while it arrives, so memory does not grow with
// the archive. The file has a fresh name no archive entry can be expected to hold, and is removed
// with the object, whole or not.
class ArchiveFile final
{
public:
    // Creates the folder (with its parents) and an empty file in it.
    explicit ArchiveFile (const juce::File& folder);
    ~ArchiveFile();

    // False once a write has failed (the disk is full, the file could not be made).
    bool append (const void* data, size_t numBytes);

    // Ends writing; true when every byte given reached the file.
    bool finishWriting();

    juce::int64 getSize() const noexcept { return size; }
    const juce::File& getFile() const noexcept { return file; }

private:
    juce::File file;
    std::unique_ptr<juce::FileOutputStream> output;
    juce::int64 size = 0;
    bool writeFailed = false;

    JUCE_DECLARE_NON_COPYABLE (ArchiveFile)
};
