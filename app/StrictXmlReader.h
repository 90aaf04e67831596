#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Reads the root element of a small settings document only when the whole document is complete
// and well formed: strict UTF-8, one root element closed where it opened, quoted attribute values,
// references that name a character (any Unicode scalar but 0, as the framework's writer gives
// them) or one of the five entities. The framework's own parser accepts cut files.
class StrictXmlReader final
{
public:
    struct Root
    {
        std::u32string tagName;
        std::vector<std::pair<std::u32string, std::u32string>> attributes;

        // The value of the first attribute of that name, any case; empty when there is none.
        std::u32string getAttribute (const juce::String& name) const;
    };

    static std::optional<Root> readRoot (const juce::MemoryBlock& document);

    // Strict UTF-8: no overlong forms, surrogates or codes above 0x10FFFF.
    static std::optional<std::u32string> decodeUtf8 (const void* data, size_t numBytes);

    static bool isScalar (juce::uint32 code) noexcept { return code <= 0x10ffff && (code < 0xd800 || code > 0xdfff); }

    static bool namesMatch (const std::u32string& name, const juce::String& wanted);

private:
    StrictXmlReader() = delete;
};
