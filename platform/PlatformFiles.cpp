#include "platform/PlatformFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

juce::String PlatformFiles::resolvePath (const juce::String& path)
{
    if (! juce::File::isAbsolutePath (path))
        return {};

    char resolved[PATH_MAX];

    if (realpath (path.toRawUTF8(), resolved) == nullptr)
        return {};

    return juce::String::fromUTF8 (resolved);
}

bool PlatformFiles::isSymbolicLink (const juce::String& path)
{
    struct stat info;
    return lstat (path.toRawUTF8(), &info) == 0 && S_ISLNK (info.st_mode);
}

bool PlatformFiles::existsWithoutFollowing (const juce::String& path)
{
    struct stat info;
    return lstat (path.toRawUTF8(), &info) == 0;
}

bool PlatformFiles::readRegularFile (const juce::String& path, juce::int64 maxBytes, juce::MemoryBlock& contents)
{
    contents.reset();

    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const auto fd = open (path.toRawUTF8(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);

    if (fd < 0)
        return false;

    struct stat info;
    bool ok = fstat (fd, &info) == 0 && S_ISREG (info.st_mode) && (juce::int64) info.st_size <= maxBytes;

    if (ok)
    {
        // Read into a block sized once; a file that grows while it is read is bounded all the same.
        contents.setSize ((size_t) info.st_size + 1);
        size_t total = 0;

        for (;;)
        {
            const auto numRead = read (fd, static_cast<char*> (contents.getData()) + total, contents.getSize() - total);

            if (numRead < 0 && errno == EINTR)
                continue;

            if (numRead < 0)
            {
                ok = false;
                break;
            }

            if (numRead == 0)
                break;

            total += (size_t) numRead;

            if ((juce::int64) total > maxBytes)
            {
                ok = false;
                break;
            }

            if (total == contents.getSize())
                contents.setSize (juce::jmin ((size_t) maxBytes + 1, total * 2), false);
        }

        contents.setSize (total);
    }

    close (fd);

    if (! ok)
        contents.reset();

    return ok;
}
