#include "fuzz/FuzzCheck.h"
#include "tasks/ArchiveUnpacker.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace
{
std::string sandbox, folder, componentTop;

// As many links as the kernel follows in one path before it gives up.
constexpr int maxLinksFollowed = 40;

bool isInsideOrSame (const std::string& path, const std::string& folder)
{
    return path == folder || path.rfind (folder + "/", 0) == 0;
}

// Puts the parts of the path in front of those still to walk.
void pushParts (const std::string& path, std::deque<std::string>& pending)
{
    std::deque<std::string> parts;
    std::string::size_type start = 0;

    while (start <= path.size())
    {
        const auto end = std::min (path.find ('/', start), path.size());
        parts.push_back (path.substr (start, end - start));
        start = end + 1;
    }

    pending.insert (pending.begin(), parts.begin(), parts.end());
}

std::string readLink (const std::string& path)
{
    char target[PATH_MAX + 1];
    const auto length = readlink (path.c_str(), target, sizeof (target));
    FUZZ_CHECK (length >= 0 && length < (ssize_t) sizeof (target));
    return std::string (target, (size_t) length);
}

// Where a link leads: its target followed as the kernel follows it, links met on the way
// included, while the parts exist; parts that do not exist (yet) are taken as text, so a link
// leads somewhere even before its target is made. None for a loop the kernel would give up on.
std::optional<std::string> whereLinkLeads (const std::string& link)
{
    char parent[PATH_MAX];
    FUZZ_CHECK (realpath (link.substr (0, link.rfind ('/')).c_str(), parent) != nullptr);

    // The walk starts at the link itself, as a path naming it would.
    std::vector<std::string> reached;
    std::deque<std::string> pending;
    pushParts (link.substr (link.rfind ('/') + 1), pending);
    pushParts (parent, pending);
    int linksFollowed = 0;

    while (! pending.empty())
    {
        const auto part = pending.front();
        pending.pop_front();

        if (part.empty() || part == ".")
            continue;

        if (part == "..")
        {
            if (! reached.empty())
                reached.pop_back();

            continue;
        }

        std::string path;

        for (const auto& r : reached)
            path += "/" + r;

        path += "/" + part;
        struct stat info;

        if (lstat (path.c_str(), &info) != 0 || ! S_ISLNK (info.st_mode))
        {
            reached.push_back (part);
            continue;
        }

        if (++linksFollowed > maxLinksFollowed)
            return std::nullopt;

        const auto target = readLink (path);

        if (! target.empty() && target[0] == '/')
            reached.clear();

        pushParts (target, pending);
    }

    std::string path;

    for (const auto& r : reached)
        path += "/" + r;

    return path.empty() ? "/" : path;
}

// Nothing lies beside the folder in the sandbox, and every link the unpacker left leads inside
// the component, whether or not its target exists.
int checkEntry (const char* path, const struct stat* info, int, struct FTW*)
{
    FUZZ_CHECK (path == sandbox || isInsideOrSame (path, folder));

    if (S_ISLNK (info->st_mode))
        if (const auto leads = whereLinkLeads (path))
            FUZZ_CHECK (isInsideOrSame (*leads, componentTop));

    return 0;
}
} // namespace

// The bytes are the archive; it is unpacked into a fresh folder inside a fresh sandbox.
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    char name[] = "/tmp/quorvelan-unpack-fuzz-XXXXXX";
    char resolved[PATH_MAX];
    FUZZ_CHECK (mkdtemp (name) != nullptr && realpath (name, resolved) != nullptr);
    sandbox = resolved;
    folder = sandbox + "/temp";
    componentTop = folder + "/Fuzz.vst";
    FUZZ_CHECK (mkdir (folder.c_str(), 0700) == 0);

    juce::MemoryInputStream archive (data, size, false);
    const bool unpacked = ArchiveUnpacker::unpack (archive, folder, "Fuzz.vst");

    struct stat top;
    FUZZ_CHECK (! unpacked || (lstat (componentTop.c_str(), &top) == 0 && (S_ISDIR (top.st_mode) || S_ISREG (top.st_mode))));
    FUZZ_CHECK (nftw (sandbox.c_str(), checkEntry, 16, FTW_PHYS) == 0);
    FUZZ_CHECK (juce::File (sandbox).deleteRecursively (false));
    return 0;
}
