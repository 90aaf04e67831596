#include "services/RememberedLogin.h"

#include "readers/UnicodeText.h"
#include "readers/XmlReading.h"
#include "services/SettingsFiles.h"

juce::uint32 reverseByteBits (juce::uint32 value) noexcept
{
    juce::uint32 result = 0;

    for (int bit = 0; bit < 32; ++bit)
        if ((value & (1u << bit)) != 0)
            result |= 1u << ((bit & ~7) + 7 - (bit & 7));

    return result;
}

namespace
{
std::u32string scrambleCodes (const std::u32string& codes)
{
    std::u32string scrambled;
    scrambled.reserve (codes.size());

    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        scrambled += (char32_t) reverseByteBits ((juce::uint32) *it);

    return scrambled;
}

std::u32string toCodes (const juce::String& text)
{
    std::u32string codes;

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
        codes += (char32_t) p.getAndAdvance();

    return codes;
}

bool allScalars (const std::u32string& codes)
{
    for (auto c : codes)
        if (! UnicodeText::isCharacter ((juce::uint32) c))
            return false;

    return true;
}

juce::String toText (const std::u32string& codes)
{
    juce::String text;
    text.preallocateBytes (codes.size() * 4);

    for (auto c : codes)
        text += juce::String::charToString ((juce::juce_wchar) c);

    return text;
}
} // namespace

juce::String scrambleLoginText (const juce::String& text)
{
    auto scrambled = scrambleCodes (toCodes (text));
    return allScalars (scrambled) ? toText (scrambled) : juce::String();
}

bool isStorableLoginText (const juce::String& text)
{
    return allScalars (scrambleCodes (toCodes (text)));
}

//==============================================================================
juce::File RememberedLogin::getFile()
{
    return SettingsFiles::getSettingsFile ("login");
}

std::optional<RememberedLogin> RememberedLogin::read (const juce::File& file)
{
    // The scrambled texts hold control characters, which the framework writes as references
    // that XML 1.0 has no room for.
    auto root = XmlReading::parseFile (file, XmlReading::maxFileBytes, XmlReading::CharacterReferences::anyScalar);

    if (! XmlReading::hasTagName (root.get(), "SAVE"))
        return {};

    auto user = scrambleCodes (toCodes (XmlReading::getAttribute (*root, "user")));
    auto pass = scrambleCodes (toCodes (XmlReading::getAttribute (*root, "pass")));

    if (! allScalars (user) || ! allScalars (pass))
        return {};

    return RememberedLogin{ toText (user), toText (pass) };
}

juce::MemoryBlock RememberedLogin::makeFileContent (const juce::String& email, const juce::String& password)
{
    juce::XmlElement save ("SAVE");
    save.setAttribute ("user", scrambleLoginText (email));
    save.setAttribute ("pass", scrambleLoginText (password));
    return SettingsFiles::formatXml (save);
}

bool RememberedLogin::write (const juce::String& email, const juce::String& password, const juce::File& file)
{
    if (! isStorableLoginText (email) || ! isStorableLoginText (password))
    {
        file.deleteFile();
        return false;
    }

    return SettingsFiles::writePrivateFile (makeFileContent (email, password), file);
}
