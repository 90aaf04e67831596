#pragma once

// The exact commands that may run with administrator rights, shared by the program and its
// privileged helper (which links nothing but the standard library):
//   "/bin/rm" "-R" "-f" PATH
//   "/bin/mkdir" "-p" PATH
//   "/bin/mv" "-f" SRC DST
// Every path is absolute and normalised (no empty, "." or ".." part; one closing "/" at most),
// free of control characters, and neither "/" nor inside a system folder, its links resolved.
// SRC of a move lies directly in the invoking user's temporary folder of the program, or is a
// staged copy (hidden name) in DST's own folder.

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace PrivilegedCommandRules
{
// The longest command, all arguments and separators included, that is read at all.
inline constexpr std::size_t maxCommandBytes = 64 * 1024;

inline constexpr const char* stagedPrefix = ".quorvelan-new-";

inline bool isNormalisedAbsolutePath (const std::string& path)
{
    if (path.size() < 2 || path[0] != '/')
        return false;

    for (auto c : path)
        if ((unsigned char) c < 0x20 || c == 0x7f)
            return false;

    const auto end = path.back() == '/' ? path.size() - 1 : path.size();
    std::size_t start = 1;

    while (start <= end)
    {
        auto slash = path.find ('/', start);

        if (slash == std::string::npos || slash > end)
            slash = end;

        const auto part = path.substr (start, slash - start);

        if (part.empty() || part == "." || part == "..")
            return false;

        start = slash + 1;
    }

    return true;
}

inline bool isSystemPath (std::string path)
{
    static const char* const systemFolders[] = { "/bin", "/sbin", "/etc", "/boot", "/dev",
                                                 "/proc", "/sys", "/usr/bin", "/usr/sbin" };

    while (path.size() > 1 && path.back() == '/')
        path.pop_back();

    if (path == "/")
        return true;

    for (auto* folder : systemFolders)
    {
        const std::string prefix (folder);

        if (path == prefix || path.compare (0, prefix.size() + 1, prefix + "/") == 0)
            return true;
    }

    return false;
}

inline std::string parentOf (std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();

    const auto slash = path.rfind ('/');
    return slash == 0 ? std::string ("/") : path.substr (0, slash);
}

inline std::string lastPartOf (std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();

    return path.substr (path.rfind ('/') + 1);
}

// A path the commands may name: normalised, and neither it nor its folder with links resolved
// in a system place.
inline bool isAcceptablePath (const std::string& path)
{
    if (! isNormalisedAbsolutePath (path) || isSystemPath (path))
        return false;

    char resolved[PATH_MAX];
    const auto parent = parentOf (path);

    if (realpath (parent.c_str(), resolved) != nullptr && isSystemPath (std::string (resolved) + "/" + lastPartOf (path)))
        return false;

    return true;
}

// The program's temporary folder of the user the commands are run for: the one pkexec names,
// else the caller's own, found as the program finds it.
inline std::string getInvokingUserTempFolder()
{
    if (auto* uid = std::getenv ("PKEXEC_UID"))
    {
        if (auto* entry = getpwuid ((uid_t) std::strtoul (uid, nullptr, 10)))
            return std::string (entry->pw_dir) + "/.config/Quorvelan/temp";

        return {};
    }

    if (auto* config = std::getenv ("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return std::string (config) + "/Quorvelan/temp";

    if (auto* home = std::getenv ("HOME"); home != nullptr && home[0] == '/')
        return std::string (home) + "/.config/Quorvelan/temp";

    return {};
}

inline bool isAllowedCommand (const std::vector<std::string>& command, const std::string& userTempFolder)
{
    if (command.size() == 4 && command[0] == "/bin/rm" && command[1] == "-R" && command[2] == "-f")
        return isAcceptablePath (command[3]);

    if (command.size() == 3 && command[0] == "/bin/mkdir" && command[1] == "-p")
        return isAcceptablePath (command[2]);

    if (command.size() == 4 && command[0] == "/bin/mv" && command[1] == "-f")
    {
        const auto& source = command[2];
        const auto& destination = command[3];

        if (! isAcceptablePath (source) || ! isAcceptablePath (destination) || source.back() == '/')
            return false;

        const bool fromTempFolder = ! userTempFolder.empty() && isNormalisedAbsolutePath (userTempFolder)
                                    && parentOf (source) == parentOf (userTempFolder + "/x");
        const bool stagedBeside = destination.back() != '/' && parentOf (source) == parentOf (destination)
                                  && lastPartOf (source).compare (0, std::string (stagedPrefix).size(), stagedPrefix) == 0;

        return fromTempFolder || stagedBeside;
    }

    return false;
}
} // namespace PrivilegedCommandRules
