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
        char buffer[8192];

        for (;;)
        {
            const auto numRead = read (fd, buffer, sizeof (buffer));

            if (numRead < 0 && errno == EINTR)
                continue;

            if (numRead < 0)
            {
                ok = false;
                break;
            }

            if (numRead == 0)
                break;

            contents.append (buffer, (size_t) numRead);

            // A file that grows while it is read is bounded all the same.
            if ((juce::int64) contents.getSize() > maxBytes)
            {
                ok = false;
                break;
            }
        }
    }

    close (fd);

    if (! ok)
        contents.reset();

    return ok;
}
