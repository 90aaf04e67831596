#pragma once

// The exact commands that may run with administrator rights, shared by the program and its
// privileged helper (which links nothing but the standard library):
//   "/bin/rm" "-R" "-f" PATH
//   "/bin/mkdir" "-p" PATH
//   "/bin/mv" "-f" SRC DST
// Every path is absolute and normalised (no empty, "." or ".." part; one closing "/" at most),
// free of control characters, and neither "/" nor inside a system folder, as written nor where
// the tool will reach it with every link resolved. The path removed, and a move's destination,
// are not links themselves (a closing "/" would make the tool follow one). SRC of a move lies
// directly in the invoking user's temporary folder of the program, or is a staged copy (hidden
// name) in DST's own folder.

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

inline std::string withoutClosingSlash (std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();

    return path;
}

inline std::string joinPath (const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// True when the entry itself (its closing "/" ignored) is a symbolic link.
inline bool isSymbolicLink (const std::string& path)
{
    struct stat info;
    return lstat (withoutClosingSlash (path).c_str(), &info) == 0 && S_ISLNK (info.st_mode);
}

// Where a normalised absolute path leads: its deepest existing part with every link resolved
// (its own last part too), followed by the parts that do not exist yet. Empty when an existing
// part cannot be resolved (a dangling link, a loop, a file where a folder should be...).
inline std::string resolveExistingPart (const std::string& path)
{
    auto existing = withoutClosingSlash (path);
    std::string missing;

    for (;;)
    {
        struct stat info;

        if (lstat (existing.c_str(), &info) == 0)
            break;

        if (errno != ENOENT || existing == "/")
            return {};

        missing = "/" + lastPartOf (existing) + missing;
        existing = parentOf (existing);
    }

    auto* resolved = realpath (existing.c_str(), nullptr);

    if (resolved == nullptr)
        return {};

    std::string result (resolved);
    std::free (resolved);

    return result == "/" && ! missing.empty() ? missing : result + missing;
}

// How a tool treats a path's last part when it is a link.
enum class LastLink
{
    followed, // mkdir -p goes through it
    moved,    // mv's source: the link itself is moved
    refused   // rm, and mv's destination: never a link
};

// Where a tool given this path acts, every link resolved; empty when that cannot be told or the
// path is not one the commands may name.
inline std::string resolveForTool (const std::string& path, LastLink lastLink)
{
    if (! isNormalisedAbsolutePath (path) || isSystemPath (path))
        return {};

    if (lastLink == LastLink::refused && isSymbolicLink (path))
        return {};

    if (lastLink != LastLink::moved)
        return resolveExistingPart (path);

    const auto folder = resolveExistingPart (parentOf (path));
    return folder.empty() ? std::string() : joinPath (folder, lastPartOf (path));
}

// A path the commands may name: normalised, and neither it nor where the tool reaches it in a
// system place.
inline bool isAcceptablePath (const std::string& path, LastLink lastLink)
{
    const auto resolved = resolveForTool (path, lastLink);
    return ! resolved.empty() && ! isSystemPath (resolved);
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
        return isAcceptablePath (command[3], LastLink::refused);

    if (command.size() == 3 && command[0] == "/bin/mkdir" && command[1] == "-p")
        return isAcceptablePath (command[2], LastLink::followed);

    if (command.size() == 4 && command[0] == "/bin/mv" && command[1] == "-f")
    {
        const auto& source = command[2];
        const auto& destination = command[3];

        if (! isAcceptablePath (source, LastLink::moved) || source.back() == '/')
            return false;

        const auto reached = resolveForTool (destination, LastLink::refused);

        if (reached.empty() || isSystemPath (reached))
            return false;

        // Into an existing folder, the source lands inside it.
        struct stat info;

        if (stat (reached.c_str(), &info) == 0 && S_ISDIR (info.st_mode) && isSystemPath (joinPath (reached, lastPartOf (source))))
            return false;

        const bool fromTempFolder = ! userTempFolder.empty() && isNormalisedAbsolutePath (userTempFolder)
                                    && parentOf (source) == parentOf (userTempFolder + "/x");
        const bool stagedBeside = destination.back() != '/' && parentOf (source) == parentOf (destination)
                                  && lastPartOf (source).compare (0, std::string (stagedPrefix).size(), stagedPrefix) == 0;

        return fromTempFolder || stagedBeside;
    }

    return false;
}

// Reads one command as the helper receives it: arguments each ended by a zero byte, the command
// by an empty argument. nextByte() gives the next byte, or EOF at the end of the input; false at
// the end of the input. A command beyond maxCommandBytes is read to its end without being kept,
// and comes back empty.
template <typename NextByte>
bool readCommand (NextByte&& nextByte, std::vector<std::string>& arguments)
{
    arguments.clear();
    std::string current;
    std::size_t total = 0;
    bool tooLong = false, inArgument = false;

    for (;;)
    {
        const int c = nextByte();

        if (c == EOF)
            return false;

        if (++total > maxCommandBytes && ! tooLong)
        {
            tooLong = true;
            arguments.clear();
            std::string().swap (current);
        }

        if (c != 0)
        {
            if (! tooLong)
                current.push_back ((char) c);

            inArgument = true;
            continue;
        }

        if (! inArgument)
            return true;

        if (! tooLong)
            arguments.push_back (current);

        current.clear();
        inArgument = false;
    }
}
} // namespace PrivilegedCommandRules
