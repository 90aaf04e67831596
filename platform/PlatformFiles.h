#pragma once

#include <juce_core/juce_core.h>

// File-system questions the framework does not answer: where a path really leads once its
// symbolic links are resolved, and reading a file only when it is an ordinary one.
class PlatformFiles final
{
public:
    // The absolute path with every symbolic link, "." and ".." resolved; empty when some part of
    // it does not exist or cannot be read.
    static juce::String resolvePath (const juce::String& path);

    // True when the path itself (not what it points at) is a symbolic link.
    static bool isSymbolicLink (const juce::String& path);

    // True when something (a dangling link included) stands at the path.
    static bool existsWithoutFollowing (const juce::String& path);

    // Reads the whole file when it is a regular file (links followed) of at most maxBytes; false
    // for a FIFO, a device, a folder, a larger file or one that cannot be opened. Never blocks on
    // a FIFO.
    static bool readRegularFile (const juce::String& path, juce::int64 maxBytes, juce::MemoryBlock& contents);

private:
    PlatformFiles() = delete;
};
