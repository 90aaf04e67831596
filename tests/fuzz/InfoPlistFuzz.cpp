#include "catalogue/InstalledBundles.h"
#include "fuzz/FuzzCheck.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <unistd.h>

// A bundle's Contents/Info.plist: the bytes are written to a file of this process and read.
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static const juce::File file (juce::File::getSpecialLocation (juce::File::tempDirectory)
                                      .getChildFile ("quorvelan_fuzz_plist_" + juce::String ((int) ::getpid())));

    if (size == 0)
        file.replaceWithText ({});
    else
        FUZZ_CHECK (file.replaceWithData (data, size));

    const auto version = readBundleVersion (file.getFullPathName());

    FUZZ_CHECK (std::isfinite (version));
    FUZZ_CHECK (std::abs (version) <= std::numeric_limits<float>::max());
    return 0;
}
