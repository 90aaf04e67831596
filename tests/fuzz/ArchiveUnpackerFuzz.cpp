#include "fuzz/FuzzCheck.h"
#include "tasks/ArchiveUnpacker.h"

#include <ftw.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{
std::string sandbox, folder, componentTop;

bool isInsideOrSame (const std::string& path, const std::string& folder)
{
    return path == folder || path.rfind (folder + "/", 0) == 0;
}

// Nothing lies beside the folder in the sandbox, and every link the unpacker left, followed as
// the kernel follows it, ends inside the component.
int checkEntry (const char* path, const struct stat* info, int, struct FTW*)
{
    char resolved[PATH_MAX];
    FUZZ_CHECK (path == sandbox || isInsideOrSame (path, folder));

    if (S_ISLNK (info->st_mode) && realpath (path, resolved) != nullptr)
        FUZZ_CHECK (isInsideOrSame (resolved, componentTop));

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
