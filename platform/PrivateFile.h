#pragma once

#include <juce_core/juce_core.h>

// Files only their owner may read, for settings that hold secrets.
class PrivateFile final
{
public:
    // Replaces the target with the bytes, readable and writable by the owner only (0600 whatever
    // the umask): they go to a temporary file in the same folder, created 0600, flushed to disk
    // and renamed over the target. On failure the earlier target stays whole and the temporary
    // file is gone.
    static bool replace (const juce::File& target, const void* data, size_t numBytes);

    // The permission bits of a file (-1 when it cannot be examined).
    static int getPermissions (const juce::File& file);

private:
    PrivateFile() = delete;
};
