#include "catalogue/InstalledBundles.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFile.h"

#include <cmath>
#include <cstdint>
#include <limits>

// A bundle's Contents/Info.plist: the bytes are written to a file of this process and read.
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static const ScratchFile scratch ("quorvelan_fuzz_plist_");
    const auto& file = scratch.get();

    if (size == 0)
        file.replaceWithText ({});
    else
        FUZZ_CHECK (file.replaceWithData (data, size));

    const auto version = readBundleVersion (file.getFullPathName());

    FUZZ_CHECK (std::isfinite (version));
    FUZZ_CHECK (std::abs (version) <= std::numeric_limits<float>::max());
    return 0;
}
