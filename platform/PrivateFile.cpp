#include "platform/PrivateFile.h"

#include "platform/Descriptors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

bool PrivateFile::replace (const juce::File& target, const void* data, size_t numBytes)
{
    auto pattern = target.getParentDirectory().getFullPathName() + "/." + target.getFileName() + ".XXXXXX";
    std::vector<char> temporaryPath (pattern.toRawUTF8(), pattern.toRawUTF8() + pattern.getNumBytesAsUTF8() + 1);

    // mkstemp creates the file 0600 less the umask; fchmod makes it exactly 0600.
    auto descriptor = ::mkstemp (temporaryPath.data());

    if (descriptor < 0)
        return false;

    auto ok = ::fchmod (descriptor, S_IRUSR | S_IWUSR) == 0
              && Descriptors::writeAll (descriptor, data, numBytes)
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
