#include "readers/UnicodeText.h"

bool UnicodeText::isStrictUtf8 (const void* data, size_t numBytes) noexcept
{
    auto* bytes = static_cast<const juce::uint8*> (data);

    for (size_t i = 0; i < numBytes;)
    {
        const auto lead = bytes[i];
        const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2
                                         : (lead >> 4) == 0xe   ? 3
                                         : (lead >> 3) == 0x1e  ? 4
                                                                : 0;

        if (length == 0 || i + (size_t) length > numBytes)
            return false;

        auto code = length == 1 ? (juce::uint32) lead : (juce::uint32) (lead & (0x7f >> length));

        for (int k = 1; k < length; ++k)
        {
            const auto next = bytes[i + (size_t) k];

            if ((next & 0xc0) != 0x80)
                return false;

            code = (code << 6) | (juce::uint32) (next & 0x3f);
        }

        static const juce::uint32 smallestOfLength[] = { 0, 0, 0x80, 0x800, 0x10000 };

        if (code < smallestOfLength[length] || ! isCharacter (code))
            return false;

        i += (size_t) length;
    }

    return true;
}
