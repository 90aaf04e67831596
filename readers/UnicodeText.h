#pragma once

#include <juce_core/juce_core.h>

// Checks on text from outside before it becomes a juce::String, whose character walks read past
// the end of anything that is not well-formed UTF-8.
class UnicodeText final
{
public:
    // A Unicode scalar value other than 0: no surrogate, nothing above U+10FFFF.
    static bool isCharacter (juce::uint32 code) noexcept
    {
        return code != 0 && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff);
    }

    // Strict UTF-8: every code a character as above, no overlong form, no sequence cut short.
    static bool isStrictUtf8 (const void* data, size_t numBytes) noexcept;

private:
    UnicodeText() = delete;
};
