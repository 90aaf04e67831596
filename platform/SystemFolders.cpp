#include "platform/SystemFolders.h"

#include <algorithm>
#include <iterator>

namespace
{
// Folders whose whole tree the system reads, loads or runs as root.
const char* const systemTrees[] = {
    "/bin", "/boot", "/dev", "/etc", "/lib", "/lib32", "/lib64", "/libx32", "/proc", "/root", "/run",
    "/sbin", "/snap", "/sys", "/usr/bin", "/usr/sbin", "/usr/games", "/usr/include", "/usr/lib32",
    "/usr/lib64", "/usr/libexec", "/usr/libx32", "/usr/share", "/usr/src", "/usr/local/bin",
    "/usr/local/etc", "/usr/local/sbin", "/usr/lib/apt", "/usr/lib/binfmt.d", "/usr/lib/cron",
    "/usr/lib/dbus-1.0", "/usr/lib/dpkg", "/usr/lib/environment.d", "/usr/lib/firmware",
    "/usr/lib/kernel", "/usr/lib/locale", "/usr/lib/modprobe.d", "/usr/lib/modules",
    "/usr/lib/NetworkManager", "/usr/lib/openssh", "/usr/lib/pam.d", "/usr/lib/polkit-1",
    "/usr/lib/security", "/usr/lib/ssl", "/usr/lib/sudo", "/usr/lib/sysctl.d", "/usr/lib/systemd",
    "/usr/lib/sysusers.d", "/usr/lib/tmpfiles.d", "/usr/lib/udev", "/var/backups", "/var/cache",
    "/var/db", "/var/lib", "/var/lock", "/var/log", "/var/mail", "/var/run", "/var/spool",
    // macOS
    "/System", "/private", "/cores", "/Library/Apple", "/Library/Extensions", "/Library/Frameworks",
    "/Library/Keychains", "/Library/LaunchAgents", "/Library/LaunchDaemons", "/Library/Preferences",
    "/Library/PrivilegedHelperTools", "/Library/Security", "/Library/StartupItems"
};

// Folders whose own entries the system loads or runs, though a folder made inside them is not
// the system's.
const char* const systemFolders[] = { "/usr/lib", "/usr/local/lib" };

// Library folders whose sub-folders named for a machine or a language runtime are the system's
// too (/usr/lib/x86_64-linux-gnu, /usr/lib/python3.11, ...).
const char* const libraryFolders[] = { "/lib", "/usr/lib", "/usr/local/lib" };
const char* const runtimePrefixes[] = { "python", "perl", "ruby", "jvm", "gcc", "node" };

bool isSystemTreeName (const std::string& libraryFolder, const std::string& path)
{
    if (! SystemFolders::isSameOrBelow (path, libraryFolder) || path.size() <= libraryFolder.size() + 1)
        return false;

    const auto rest = path.substr (libraryFolder.size() + 1);
    const auto name = rest.substr (0, rest.find ('/'));

    if (name.find ("-linux-") != std::string::npos)
        return true;

    return std::any_of (std::begin (runtimePrefixes), std::end (runtimePrefixes),
                        [&name] (const char* prefix)
                        { return name.compare (0, std::string (prefix).size(), prefix) == 0; });
}

int countParts (const std::string& path)
{
    return (int) std::count (path.begin(), path.end(), '/') - (path.size() > 1 && path.back() == '/' ? 1 : 0);
}
} // namespace

bool SystemFolders::isSameOrBelow (const std::string& path, const std::string& folder)
{
    if (folder == "/")
        return ! path.empty() && path[0] == '/';

    return path.compare (0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '/');
}

bool SystemFolders::isWithinSystemFolder (const std::string& realPath)
{
    for (auto* tree : systemTrees)
        if (isSameOrBelow (realPath, tree))
            return true;

    for (auto* folder : systemFolders)
        if (realPath == folder)
            return true;

    for (auto* folder : libraryFolders)
        if (isSystemTreeName (folder, realPath))
            return true;

    return false;
}

bool SystemFolders::isAcceptablePlace (const std::string& realPath)
{
    if (realPath.empty() || realPath[0] != '/' || countParts (realPath) < 2 || isWithinSystemFolder (realPath))
        return false;

    // A folder that holds a system folder.
    for (auto* tree : systemTrees)
        if (isSameOrBelow (tree, realPath))
            return false;

    for (auto* folder : systemFolders)
        if (isSameOrBelow (folder, realPath))
            return false;

    return true;
}
