#include "app/StrictXmlReader.h"

namespace
{
// Deeper nesting is refused before anything recursive sees it; settings files are flat.
constexpr int maxDepth = 32;

bool isSpace (char32_t c) noexcept
{
    return c == 0x20 || c == 0x09 || c == 0x0d || c == 0x0a;
}

bool isNameStart (char32_t c) noexcept
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0xc0;
}

bool isNameChar (char32_t c) noexcept
{
    return isNameStart (c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 0xb7;
}

class Parser
{
public:
    explicit Parser (const std::u32string& textToRead)
        : text (textToRead)
    {
    }

    std::optional<StrictXmlReader::Root> readDocument()
    {
        if (startsWith (U"\xfeff"))
            ++pos;

        if (startsWith (U"<?xml") && pos + 5 < text.size() && (isSpace (text[pos + 5]) || text[pos + 5] == '?'))
            if (! skipPast (U"?>"))
                return {};

        if (! skipMisc())
            return {};

        StrictXmlReader::Root root;
        bool selfClosing = false;

        if (! readStartTag (root.tagName, &root.attributes, selfClosing))
            return {};

        if (! selfClosing && ! readContent (root.tagName))
            return {};

        if (! skipMisc() || pos != text.size())
            return {};

        return root;
    }

private:
    bool startsWith (const char32_t* literal) const
    {
        for (size_t i = 0; literal[i] != 0; ++i)
            if (pos + i >= text.size() || text[pos + i] != literal[i])
                return false;

        return true;
    }

    bool skipPast (const char32_t* terminator)
    {
        auto found = text.find (terminator, pos);

        if (found == std::u32string::npos)
            return false;

        pos = found + std::char_traits<char32_t>::length (terminator);
        return true;
    }

    void skipSpace()
    {
        while (pos < text.size() && isSpace (text[pos]))
            ++pos;
    }

    // Blanks, comments and processing instructions; a document type is not expected here.
    bool skipMisc()
    {
        for (;;)
        {
            skipSpace();

            if (startsWith (U"<!--"))
            {
                if (! skipPast (U"-->"))
                    return false;
            }
            else if (startsWith (U"<?"))
            {
                if (! skipPast (U"?>"))
                    return false;
            }
            else
            {
                return ! startsWith (U"<!");
            }
        }
    }

    bool readName (std::u32string& name)
    {
        if (pos >= text.size() || ! isNameStart (text[pos]))
            return false;

        auto start = pos;

        while (pos < text.size() && isNameChar (text[pos]))
            ++pos;

        name = text.substr (start, pos - start);
        return true;
    }

    bool readReference (std::u32string& out)
    {
        auto end = text.find (U';', pos);

        if (end == std::u32string::npos || end - pos > 12)
            return false;

        auto body = text.substr (pos + 1, end - pos - 1);
        pos = end + 1;

        if (body == U"lt")
            out += U'<';
        else if (body == U"gt")
            out += U'>';
        else if (body == U"amp")
            out += U'&';
        else if (body == U"quot")
            out += U'"';
        else if (body == U"apos")
            out += U'\'';
        else if (body.size() > 1 && body[0] == '#')
            return readCharacterReference (body.substr (1), out);
        else
            return false;

        return true;
    }

    static bool readCharacterReference (const std::u32string& digits, std::u32string& out)
    {
        auto hex = ! digits.empty() && digits[0] == 'x';
        auto number = hex ? digits.substr (1) : digits;

        if (number.empty() || number.size() > (hex ? 6u : 7u))
            return false;

        juce::uint32 code = 0;

        for (auto c : number)
        {
            int value = (c >= '0' && c <= '9')          ? (int) (c - '0')
                        : (hex && c >= 'a' && c <= 'f') ? (int) (c - 'a' + 10)
                        : (hex && c >= 'A' && c <= 'F') ? (int) (c - 'A' + 10)
                                                        : -1;
            if (value < 0)
                return false;

            code = code * (hex ? 16u : 10u) + (juce::uint32) value;
        }

        if (code == 0 || ! StrictXmlReader::isScalar (code))
            return false;

        out += (char32_t) code;
        return true;
    }

    bool readAttributeValue (std::u32string& value)
    {
        if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\''))
            return false;

        auto quote = text[pos++];

        while (pos < text.size() && text[pos] != quote)
        {
            if (text[pos] == '<')
                return false;

            if (text[pos] == '&')
            {
                if (! readReference (value))
                    return false;
            }
            else
            {
                value += text[pos++];
            }
        }

        if (pos >= text.size())
            return false;

        ++pos;
        return true;
    }

    // At "<": the tag's name and attributes, up to its closing ">" or "/>".
    bool readStartTag (std::u32string& name,
                       std::vector<std::pair<std::u32string, std::u32string>>* attributes,
                       bool& selfClosing)
    {
        if (! startsWith (U"<"))
            return false;

        ++pos;

        if (! readName (name))
            return false;

        std::vector<std::pair<std::u32string, std::u32string>> seen;

        for (;;)
        {
            auto hadSpace = pos < text.size() && isSpace (text[pos]);
            skipSpace();

            if (startsWith (U"/>") || startsWith (U">"))
            {
                selfClosing = text[pos] == '/';
                pos += selfClosing ? 2 : 1;
                break;
            }

            std::u32string attributeName, value;

            if (! hadSpace || ! readName (attributeName))
                return false;

            skipSpace();

            if (! startsWith (U"="))
                return false;

            ++pos;
            skipSpace();

            if (! readAttributeValue (value))
                return false;

            for (auto& other : seen)
                if (other.first == attributeName)
                    return false;

            seen.emplace_back (attributeName, value);
        }

        if (attributes != nullptr)
            *attributes = std::move (seen);

        return true;
    }

    // After the root's start tag: everything up to and including its end tag.
    bool readContent (const std::u32string& rootName)
    {
        std::vector<std::u32string> open{ rootName };

        while (! open.empty())
        {
            if (pos >= text.size())
                return false;

            if (startsWith (U"</"))
            {
                pos += 2;
                std::u32string name;

                if (! readName (name) || name != open.back())
                    return false;

                skipSpace();

                if (! startsWith (U">"))
                    return false;

                ++pos;
                open.pop_back();
            }
            else if (startsWith (U"<!--"))
            {
                if (! skipPast (U"-->"))
                    return false;
            }
            else if (startsWith (U"<![CDATA["))
            {
                if (! skipPast (U"]]>"))
                    return false;
            }
            else if (startsWith (U"<?"))
            {
                if (! skipPast (U"?>"))
                    return false;
            }
            else if (startsWith (U"<"))
            {
                std::u32string name;
                bool selfClosing = false;

                if (! readStartTag (name, nullptr, selfClosing))
                    return false;

                if (! selfClosing)
                {
                    if ((int) open.size() >= maxDepth)
                        return false;

                    open.push_back (name);
                }
            }
            else if (text[pos] == '&')
            {
                std::u32string ignored;

                if (! readReference (ignored))
                    return false;
            }
            else
            {
                ++pos;
            }
        }

        return true;
    }

    const std::u32string& text;
    size_t pos = 0;
};
} // namespace

std::u32string StrictXmlReader::Root::getAttribute (const juce::String& name) const
{
    for (auto& attribute : attributes)
        if (namesMatch (attribute.first, name))
            return attribute.second;

    return {};
}

bool StrictXmlReader::namesMatch (const std::u32string& name, const juce::String& wanted)
{
    juce::String converted;

    for (auto c : name)
        converted += juce::String::charToString ((juce::juce_wchar) c);

    return converted.equalsIgnoreCase (wanted);
}

std::optional<StrictXmlReader::Root> StrictXmlReader::readRoot (const juce::MemoryBlock& document)
{
    auto text = decodeUtf8 (document.getData(), document.getSize());

    if (! text.has_value())
        return {};

    return Parser (*text).readDocument();
}

std::optional<std::u32string> StrictXmlReader::decodeUtf8 (const void* data, size_t numBytes)
{
    auto* bytes = static_cast<const juce::uint8*> (data);
    std::u32string codes;
    codes.reserve (numBytes);

    for (size_t i = 0; i < numBytes;)
    {
        auto lead = bytes[i];
        int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2
                                   : (lead >> 4) == 0xe   ? 3
                                   : (lead >> 3) == 0x1e  ? 4
                                                          : 0;

        if (length == 0 || i + (size_t) length > numBytes)
            return {};

        juce::uint32 code = length == 1 ? lead : (juce::uint32) (lead & (0x7f >> length));

        for (int k = 1; k < length; ++k)
        {
            auto next = bytes[i + (size_t) k];

            if ((next & 0xc0) != 0x80)
                return {};

            code = (code << 6) | (juce::uint32) (next & 0x3f);
        }

        static const juce::uint32 smallestOfLength[] = { 0, 0, 0x80, 0x800, 0x10000 };

        if (code < smallestOfLength[length] || ! isScalar (code) || code == 0)
            return {};

        codes += (char32_t) code;
        i += (size_t) length;
    }

    return codes;
}
