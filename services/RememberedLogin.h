#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// The bits of each of the four bytes in reverse order, the bytes staying in their places.
juce::uint32 reverseByteBits (juce::uint32 value) noexcept;

// The characters from last to first, each code passed through reverseByteBits. Its own inverse;
// there is no key. A text holding a character whose scrambled code is not a Unicode scalar (some
// characters above 0xFF) has no scrambled text: it gives an empty one (see isStorableLoginText).
juce::String scrambleLoginText (const juce::String& text);

// True when every character of the text scrambles to a Unicode scalar.
bool isStorableLoginText (const juce::String& text);

// The settings file "login": <SAVE user="..." pass="..."/>, both values scrambled.
class RememberedLogin final
{
public:
    juce::String email, password;

    static juce::File getFile();

    // The remembered login, or nothing when the file is missing, cut, not well formed, holds
    // another root, or stores a code that does not unscramble to a character.
    static std::optional<RememberedLogin> read (const juce::File& file = getFile());

    // Replaces the file, readable by its owner only. A text that cannot be stored deletes the
    // file instead (the earlier one holds another login). False when nothing was written.
    static bool write (const juce::String& email, const juce::String& password,
                       const juce::File& file = getFile());

    // The exact bytes written for this login.
    static juce::MemoryBlock makeFileContent (const juce::String& email, const juce::String& password);
};
