#include "catalogue/XmlReading.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const auto text = juce::String::fromUTF8 (reinterpret_cast<const char*> (data), (int) size);

    if (auto root = XmlReading::parse (text))
        FUZZ_CHECK (root->getTagName().isNotEmpty());

    return 0;
}
