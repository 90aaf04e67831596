#include "platform/HeldFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace
{
// Deeper trees are refused rather than walked: each level holds a descriptor.
constexpr int maxDepth = 256;

// An entry directly in a folder: no "/", and not the folder itself or its parent.
bool isEntryName (const std::string& name)
{
    return ! name.empty() && name != "." && name != ".." && name.find ('/') == std::string::npos;
}

bool isSameEntry (int fd, const struct stat& expected)
{
    struct stat info;
    return fstat (fd, &info) == 0 && info.st_dev == expected.st_dev && info.st_ino == expected.st_ino;
}

// Owner first: a set-user-id bit is only ever set on a file that already has its final owner,
// and dropped when that owner cannot be given (as mv does when not root).
bool applyAttributes (int fd, const struct stat& source)
{
    auto mode = source.st_mode & 07777;

    if (fchown (fd, source.st_uid, source.st_gid) != 0)
        mode &= ~(mode_t) (S_ISUID | S_ISGID);

    const struct timespec times[2] = { source.st_atim, source.st_mtim };
    return fchmod (fd, mode) == 0 && futimens (fd, times) == 0;
}

bool copyContents (int in, int out)
{
    std::vector<char> buffer (64 * 1024);

    for (;;)
    {
        auto numRead = read (in, buffer.data(), buffer.size());

        if (numRead < 0 && errno == EINTR)
            continue;

        if (numRead < 0)
            return false;

        if (numRead == 0)
            return true;

        for (ssize_t done = 0; done < numRead;)
        {
            auto written = write (out, buffer.data() + done, (size_t) (numRead - done));

            if (written < 0 && errno == EINTR)
                continue;

            if (written <= 0)
                return false;

            done += written;
        }
    }
}

// The names in a held folder, "." and ".." left out; false when it cannot be listed.
bool listNames (int fd, std::vector<std::string>& names)
{
    const int listing = fcntl (fd, F_DUPFD_CLOEXEC, 0);

    if (listing < 0)
        return false;

    auto* dir = fdopendir (listing);

    if (dir == nullptr)
    {
        close (listing);
        return false;
    }

    rewinddir (dir);
    errno = 0;

    while (auto* entry = readdir (dir))
    {
        const std::string name (entry->d_name);

        if (name != "." && name != "..")
            names.push_back (name);
    }

    const bool complete = errno == 0;
    closedir (dir);
    return complete;
}
} // namespace

HeldFolder::~HeldFolder()
{
    if (descriptor >= 0)
        close (descriptor);
}

HeldFolder::HeldFolder (HeldFolder&& other) noexcept
    : descriptor (other.descriptor)
{
    other.descriptor = -1;
}

HeldFolder& HeldFolder::operator= (HeldFolder&& other) noexcept
{
    if (this != &other)
    {
        if (descriptor >= 0)
            close (descriptor);

        descriptor = other.descriptor;
        other.descriptor = -1;
    }

    return *this;
}

HeldFolder HeldFolder::open (const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return {};

    return HeldFolder (::open (path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

std::string HeldFolder::whereItIs() const
{
    if (! isOpen())
        return {};

    const auto link = "/proc/self/fd/" + std::to_string (descriptor);
    std::vector<char> buffer (PATH_MAX + 1);
    const auto length = readlink (link.c_str(), buffer.data(), buffer.size());

    if (length <= 0 || (size_t) length >= buffer.size() || buffer[0] != '/')
        return {};

    return std::string (buffer.data(), (size_t) length);
}

long HeldFolder::getOwner() const
{
    struct stat info;
    return isOpen() && fstat (descriptor, &info) == 0 ? (long) info.st_uid : -1;
}

long HeldFolder::getOwnerOf (const std::string& name) const
{
    struct stat info;
    return lookAt (name, info) ? (long) info.st_uid : -1;
}

bool HeldFolder::lookAt (const std::string& name, struct stat& info) const
{
    return isOpen() && isEntryName (name) && fstatat (descriptor, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

HeldFolder HeldFolder::duplicate() const
{
    return HeldFolder (isOpen() ? fcntl (descriptor, F_DUPFD_CLOEXEC, 0) : -1);
}

HeldFolder HeldFolder::openFolderFollowingLinks (const std::string& name) const
{
    if (! isOpen() || ! isEntryName (name))
    {
        errno = EINVAL;
        return {};
    }

    return HeldFolder (openat (descriptor, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

HeldFolder HeldFolder::openFolder (const std::string& name) const
{
    if (! isOpen() || ! isEntryName (name))
    {
        errno = EINVAL;
        return {};
    }

    return HeldFolder (openat (descriptor, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

HeldFolder HeldFolder::openOrMakeFolder (const std::string& name) const
{
    auto folder = openFolder (name);

    if (folder.isOpen() || errno != ENOENT)
        return folder;

    if (mkdirat (descriptor, name.c_str(), 0777) != 0 && errno != EEXIST)
        return {};

    return openFolder (name);
}

bool HeldFolder::isFolder (const std::string& name) const
{
    struct stat info;
    return lookAt (name, info) && S_ISDIR (info.st_mode);
}

bool HeldFolder::exists (const std::string& name) const
{
    struct stat info;
    return lookAt (name, info);
}

bool HeldFolder::removeEntry (const std::string& name) const
{
    return removeEntry (name, 0);
}

bool HeldFolder::removeEntry (const std::string& name, int depth) const
{
    if (! isOpen() || ! isEntryName (name))
        return false;

    // An entry swapped for another kind between two steps is looked at again.
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        struct stat info;

        if (fstatat (descriptor, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT;

        if (! S_ISDIR (info.st_mode))
        {
            if (unlinkat (descriptor, name.c_str(), 0) == 0 || errno == ENOENT)
                return true;

            if (errno == EISDIR || errno == EPERM)
                continue;

            return false;
        }

        if (depth >= maxDepth)
            return false;

        auto folder = openFolder (name);

        if (! folder.isOpen())
        {
            if (errno == ELOOP || errno == ENOTDIR || errno == ENOENT)
                continue;

            return false;
        }

        std::vector<std::string> names;

        if (! listNames (folder.descriptor, names))
            return false;

        for (auto& child : names)
            if (! folder.removeEntry (child, depth + 1))
                return false;

        if (unlinkat (descriptor, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT)
            return true;

        if (errno != ENOTEMPTY && errno != EEXIST && errno != ENOTDIR)
            return false;
    }

    return false;
}

bool HeldFolder::moveEntry (const std::string& name, const HeldFolder& destination, const std::string& newName) const
{
    if (! isOpen() || ! destination.isOpen() || ! isEntryName (name) || ! isEntryName (newName))
        return false;

    if (renameat (descriptor, name.c_str(), destination.descriptor, newName.c_str()) == 0)
        return true;

    if (errno != EXDEV)
        return false;

    const auto staged = copyPrefix + newName;

    if (! destination.removeEntry (staged))
        return false;

    if (! copyEntry (name, destination, staged, 0)
        || renameat (destination.descriptor, staged.c_str(), destination.descriptor, newName.c_str()) != 0)
    {
        destination.removeEntry (staged);
        return false;
    }

    return removeEntry (name);
}

bool HeldFolder::copyEntry (const std::string& name, const HeldFolder& destination, const std::string& newName, int depth) const
{
    struct stat info;

    if (fstatat (descriptor, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;

    if (S_ISLNK (info.st_mode))
    {
        std::vector<char> target (PATH_MAX + 1);
        const auto length = readlinkat (descriptor, name.c_str(), target.data(), target.size());

        if (length <= 0 || (size_t) length >= target.size())
            return false;

        target[(size_t) length] = 0;

        if (symlinkat (target.data(), destination.descriptor, newName.c_str()) != 0)
            return false;

        fchownat (destination.descriptor, newName.c_str(), info.st_uid, info.st_gid, AT_SYMLINK_NOFOLLOW);
        const struct timespec times[2] = { info.st_atim, info.st_mtim };
        utimensat (destination.descriptor, newName.c_str(), times, AT_SYMLINK_NOFOLLOW);
        return true;
    }

    if (S_ISREG (info.st_mode))
    {
        const int in = openat (descriptor, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);

        if (in < 0)
            return false;

        const int out = isSameEntry (in, info)
                            ? openat (destination.descriptor, newName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)
                            : -1;
        bool copied = out >= 0 && copyContents (in, out) && applyAttributes (out, info);
        close (in);

        if (out >= 0)
            copied = close (out) == 0 && copied;

        return copied;
    }

    if (! S_ISDIR (info.st_mode) || depth >= maxDepth)
        return false;

    const auto from = openFolder (name);

    if (! from.isOpen() || ! isSameEntry (from.descriptor, info) || mkdirat (destination.descriptor, newName.c_str(), 0700) != 0)
        return false;

    const auto to = destination.openFolder (newName);
    std::vector<std::string> names;

    if (! to.isOpen() || ! listNames (from.descriptor, names))
        return false;

    for (auto& child : names)
        if (! from.copyEntry (child, to, child, depth + 1))
            return false;

    return applyAttributes (to.descriptor, info);
}
