#include "platform/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
bool writeAll (int descriptor, const char* data, size_t numBytes)
{
    while (numBytes > 0)
    {
        auto written = ::write (descriptor, data, numBytes);

        if (written < 0 && errno == EINTR)
            continue;

        if (written <= 0)
            return false;

        data += written;
        numBytes -= (size_t) written;
    }

    return true;
}
} // namespace

bool PrivateFile::replace (const juce::File& target, const void* data, size_t numBytes)
{
    auto pattern = target.getParentDirectory().getFullPathName() + "/." + target.getFileName() + ".XXXXXX";
    std::vector<char> temporaryPath (pattern.toRawUTF8(), pattern.toRawUTF8() + pattern.getNumBytesAsUTF8() + 1);

    // mkstemp creates the file 0600 less the umask; fchmod makes it exactly 0600.
    auto descriptor = ::mkstemp (temporaryPath.data());

    if (descriptor < 0)
        return false;

    auto ok = ::fchmod (descriptor, S_IRUSR | S_IWUSR) == 0
              && writeAll (descriptor, static_cast<const char*> (data), numBytes)
              && ::fsync (descriptor) == 0;

    ok = (::close (descriptor) == 0) && ok;
    ok = ok && std::rename (temporaryPath.data(), target.getFullPathName().toRawUTF8()) == 0;

    if (! ok)
        ::unlink (temporaryPath.data());

    return ok;
}

int PrivateFile::getPermissions (const juce::File& file)
{
    struct stat info;

    if (::stat (file.getFullPathName().toRawUTF8(), &info) != 0)
        return -1;

    return (int) (info.st_mode & 07777);
}
