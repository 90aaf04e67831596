// The privileged helper's input as it reads it, judged against a small fixed tree: a home-like
// folder with links to system folders, a dangling link, a loop and links to ordinary folders.
// An argument starting with "@" names a path in that tree ("@/home/link/" is "<tree>/home/link/");
// any other is taken as it is. The rules are only asked, nothing is run.
//
// For every command they allow: it has one of the three shapes, and no path reaches a system
// folder (as the rules list them) once resolved the way the tool will, as worked out here
// independently with std::filesystem: the deepest existing part resolved, its own last part
// followed except for the entry rm removes and mv moves or replaces.

#include "fuzz/FuzzCheck.h"
#include "platform/PrivilegedCommandRules.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace
{
namespace fs = std::filesystem;

std::string tree;

void removeTree()
{
    std::error_code ignored;
    fs::remove_all (tree, ignored);
}

std::string userTempFolder()
{
    return tree + "/home/.config/Quorvelan/temp";
}

bool isLink (const std::string& path)
{
    std::error_code error;
    return fs::is_symlink (fs::symlink_status (PrivilegedCommandRules::withoutClosingSlash (path), error));
}

// Where the tool reaches the path; the path's last part is followed unless keepLast.
std::string reached (const std::string& path, bool keepLast)
{
    std::error_code error;
    const fs::path written (PrivilegedCommandRules::withoutClosingSlash (path));
    const auto resolved = keepLast ? fs::weakly_canonical (written.parent_path(), error) / written.filename()
                                   : fs::weakly_canonical (written, error);
    FUZZ_CHECK (! error);
    return resolved.string();
}

bool isSafe (const std::string& path)
{
    return ! PrivilegedCommandRules::isSystemPath (path);
}

void checkAllowed (const std::vector<std::string>& c)
{
    const bool isRemove = c.size() == 4 && c[0] == "/bin/rm" && c[1] == "-R" && c[2] == "-f";
    const bool isMakeFolder = c.size() == 3 && c[0] == "/bin/mkdir" && c[1] == "-p";
    const bool isMove = c.size() == 4 && c[0] == "/bin/mv" && c[1] == "-f";
    FUZZ_CHECK (isRemove || isMakeFolder || isMove);

    for (std::size_t i = isRemove ? 3 : 2; i < c.size(); ++i)
        FUZZ_CHECK (PrivilegedCommandRules::isNormalisedAbsolutePath (c[i]) && isSafe (c[i]));

    if (isRemove)
    {
        FUZZ_CHECK (! isLink (c[3]));
        FUZZ_CHECK (isSafe (reached (c[3], false)));
    }

    if (isMakeFolder)
        FUZZ_CHECK (isSafe (reached (c[2], false)));

    if (isMove)
    {
        FUZZ_CHECK (isSafe (reached (c[2], true)));
        FUZZ_CHECK (! isLink (c[3]));

        const auto destination = reached (c[3], false);
        FUZZ_CHECK (isSafe (destination));

        std::error_code error;

        if (fs::is_directory (destination, error))
            FUZZ_CHECK (isSafe ((fs::path (destination) / fs::path (c[2]).filename()).string()));
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    char folder[] = "/tmp/quorvelan-fuzz-helper-rules.XXXXXX";

    if (mkdtemp (folder) == nullptr)
        std::abort();

    tree = folder;
    std::atexit (removeTree);

    const fs::path home = tree + "/home";
    fs::create_directories (home / "plain/inner");
    fs::create_directories (userTempFolder());

    for (auto* file : { "plain/file", ".config/Quorvelan/temp/f", ".config/Quorvelan/temp/bin" })
        std::ofstream (home / file).put ('x');

    const std::pair<const char*, std::string> links[] = {
        { "link", "/etc" },
        { "chain", (home / "link").string() },
        { "rootlink", "/" },
        { "usrlink", "/usr" },
        { "sbinlink", "/usr/sbin" },
        { "dangling", "/etc/quorvelan-fuzz-missing" },
        { "okLink", (home / "plain").string() },
        { "relative", "plain" },
        { "up", ".." },
        { "loop", (home / "loop").string() },
    };

    for (auto& [name, target] : links)
        fs::create_symlink (target, home / name);

    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    std::size_t next = 0;
    const auto nextByte = [&]() -> int
    { return next < size ? data[next++] : EOF; };
    std::vector<std::string> command;

    while (PrivilegedCommandRules::readCommand (nextByte, command))
    {
        for (auto& argument : command)
        {
            FUZZ_CHECK (! argument.empty() && argument.find ('\0') == std::string::npos);

            if (argument[0] == '@')
                argument = tree + argument.substr (1);
        }

        if (PrivilegedCommandRules::isAllowedCommand (command, userTempFolder()))
            checkAllowed (command);
    }

    return 0;
}
