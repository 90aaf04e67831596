// The privileged helper's input as it reads it, carried out in a small fixed tree whose home
// folder is the one place: links in it lead to a stand-in system folder beside it, to "/", to
// ordinary folders, nowhere, or round in a loop. An argument starting with "@" names a path in
// the tree ("@/home/link/" is "<tree>/home/link/"); any other is taken as it is.
//
// Every command runs (as an unprivileged user, so a mistake cannot reach the machine). Afterwards
// nothing outside the place may have changed, and a command that was not refused must have named
// only paths in the place (the temporary folder inside it for a move's source), as worked out
// here from the texts with std::filesystem.

#include "fuzz/FuzzCheck.h"
#include "platform/PrivilegedCommandReader.h"
#include "platform/PrivilegedPlaces.h"

#include <unistd.h>

#include <algorithm>
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

std::string home()
{
    return tree + "/home";
}
std::string temporaryFolder()
{
    return home() + "/.config/Quorvelan/temp";
}
std::string outside()
{
    return tree + "/outside";
}

void removeTree()
{
    std::error_code ignored;
    fs::remove_all (tree, ignored);
}

void makeHome()
{
    std::error_code ignored;

    for (const auto& entry : fs::directory_iterator (home(), ignored))
        fs::remove_all (entry.path(), ignored);

    const fs::path folder = home();
    fs::create_directories (folder / "plain/inner");
    fs::create_directories (temporaryFolder() + "/d");

    for (auto* file : { "plain/file", ".config/Quorvelan/temp/f", ".config/Quorvelan/temp/bin", ".config/Quorvelan/temp/d/x" })
        std::ofstream (folder / file).put ('x');

    const std::pair<const char*, std::string> links[] = {
        { "link", outside() },
        { "chain", (folder / "link").string() },
        { "rootlink", "/" },
        { "usrlink", "/usr" },
        { "dangling", outside() + "/missing" },
        { "okLink", (folder / "plain").string() },
        { "relative", "plain" },
        { "up", ".." },
        { "loop", (folder / "loop").string() },
        { ".config/Quorvelan/temp/out", outside() },
    };

    for (auto& [name, target] : links)
        fs::create_symlink (target, folder / name, ignored);
}

// Everything outside the place: the stand-in system folder and the tree's own top level.
std::vector<std::string> outsideThePlace()
{
    std::vector<std::string> entries;
    std::error_code error;

    for (const auto& entry : fs::directory_iterator (tree, error))
        entries.push_back (entry.path().string());

    for (fs::recursive_directory_iterator it (outside(), error), end; it != end; it.increment (error))
        entries.push_back (it->path().string() + (it->is_symlink() ? "@" : it->is_directory() ? "/"
                                                                                              : ""));

    std::sort (entries.begin(), entries.end());
    return entries;
}

bool isBelow (const std::string& path, const std::string& folder, bool orSame)
{
    const auto p = fs::path (path).lexically_normal().string();
    const auto trimmed = p.size() > 1 && p.back() == '/' ? p.substr (0, p.size() - 1) : p;
    return (orSame && trimmed == folder) || trimmed.compare (0, folder.size() + 1, folder + "/") == 0;
}

std::string parentText (const std::string& path)
{
    return fs::path (path).parent_path().string();
}

void checkNamedPaths (const std::vector<std::string>& c)
{
    const bool isRemove = c.size() == 4 && c[0] == "/bin/rm" && c[1] == "-R" && c[2] == "-f";
    const bool isMakeFolder = c.size() == 3 && c[0] == "/bin/mkdir" && c[1] == "-p";
    const bool isMove = c.size() == 4 && c[0] == "/bin/mv" && c[1] == "-f";
    FUZZ_CHECK (isRemove || isMakeFolder || isMove);

    for (std::size_t i = isRemove ? 3 : 2; i < c.size(); ++i)
        FUZZ_CHECK (fs::path (c[i]).is_absolute() && c[i].find ("/./") == std::string::npos && c[i].find ("/../") == std::string::npos);

    if (isRemove)
        FUZZ_CHECK (isBelow (c[3], home(), false));

    if (isMakeFolder)
        FUZZ_CHECK (isBelow (c[2], home(), true));

    if (isMove)
    {
        FUZZ_CHECK (isBelow (c[3], home(), true));
        const auto name = fs::path (c[2]).filename().string();
        FUZZ_CHECK (parentText (c[2]) == temporaryFolder()
                    || (parentText (c[2]) == parentText (c[3]) && name.rfind (".quorvelan-new-", 0) == 0));
    }
}

// Commands are carried out as an unprivileged user, so that one wrongly carried out stays among
// that user's files; the fuzzer itself keeps its rights between inputs to write its findings.
struct Unprivileged
{
    Unprivileged()
    {
        if (wasRoot && seteuid (65534) != 0)
            std::abort();
    }

    ~Unprivileged()
    {
        if (wasRoot && seteuid (0) != 0)
            std::abort();
    }

    static inline const bool wasRoot = geteuid() == 0;
};
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    Unprivileged unprivileged;
    char folder[] = "/tmp/quorvelan-fuzz-helper.XXXXXX";

    if (mkdtemp (folder) == nullptr)
        std::abort();

    tree = folder;
    std::atexit ([]
                 {
                     Unprivileged unprivileged;
                     removeTree(); });

    fs::create_directories (outside() + "/keep/inner");
    std::ofstream (outside() + "/keep/file").put ('x');
    fs::create_directories (home());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    Unprivileged unprivileged;
    makeHome();
    PrivilegedPlaces places ({ home() }, temporaryFolder(), (long) geteuid());
    std::string refused;
    FUZZ_CHECK (places.hold (refused));

    const auto before = outsideThePlace();
    std::size_t next = 0;
    const auto nextByte = [&]() -> int
    { return next < size ? data[next++] : EOF; };
    std::vector<std::string> command;

    while (PrivilegedCommandReader::readCommand (nextByte, command))
    {
        for (auto& argument : command)
        {
            FUZZ_CHECK (! argument.empty() && argument.find ('\0') == std::string::npos);

            if (argument[0] == '@')
                argument = tree + argument.substr (1);
        }

        const auto status = places.run (command);
        FUZZ_CHECK (status == 0 || status == 1 || status == -1);

        if (status != -1)
            checkNamedPaths (command);

        FUZZ_CHECK (outsideThePlace() == before);
    }

    return 0;
}
