#include "readers/XmlReading.h"

#include "platform/PlatformFiles.h"
#include "readers/UnicodeText.h"

#include <expat.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// setAttribute walks the element's attributes on every call: the count is bounded so that a
// document of many attributes cannot take quadratic time.
constexpr int maxAttributesPerElement = 64;

// "&#" and "&amp;" escaped once more, so that expat hands character references over as text and
// decodeReferences reads them with the wider rule.
std::string escapeReferences (const char* data, size_t numBytes)
{
    std::string escaped;
    escaped.reserve (numBytes + numBytes / 8);

    for (size_t i = 0; i < numBytes; ++i)
    {
        const bool reference = data[i] == '&'
                               && ((i + 1 < numBytes && data[i + 1] == '#')
                                   || (i + 4 < numBytes && std::memcmp (data + i + 1, "amp;", 4) == 0));

        if (reference)
            escaped += "&amp;";
        else
            escaped += data[i];
    }

    return escaped;
}

// The inverse of escapeReferences on what expat made of the text: "&amp;" is "&", "&#N;" and
// "&#xN;" name any scalar but 0. False for anything else after "&".
bool decodeReferences (const std::string& text, std::string& decoded)
{
    decoded.clear();
    decoded.reserve (text.size());

    for (size_t i = 0; i < text.size();)
    {
        if (text[i] != '&')
        {
            decoded += text[i++];
            continue;
        }

        if (text.compare (i, 5, "&amp;") == 0)
        {
            decoded += '&';
            i += 5;
            continue;
        }

        if (text.compare (i, 2, "&#") != 0)
            return false;

        i += 2;
        const bool hex = i < text.size() && text[i] == 'x';

        if (hex)
            ++i;

        juce::uint32 code = 0;
        size_t digits = 0;

        for (; i < text.size() && text[i] != ';'; ++i, ++digits)
        {
            const auto value = juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (unsigned char) text[i]);

            if (value < 0 || (! hex && value > 9) || digits >= (hex ? 6u : 7u))
                return false;

            code = code * (hex ? 16u : 10u) + (juce::uint32) value;
        }

        if (i >= text.size() || digits == 0 || ! UnicodeText::isCharacter (code))
            return false;

        ++i;
        juce::CharPointer_UTF8::CharType buffer[8] = {};
        juce::CharPointer_UTF8 out (buffer);
        out.write ((juce::juce_wchar) code);
        decoded.append (buffer, (size_t) (out.getAddress() - buffer));
    }

    return true;
}

bool startsWithUtf16Mark (const char* data, size_t numBytes)
{
    return numBytes >= 2
           && ((data[0] == '\xfe' && data[1] == '\xff') || (data[0] == '\xff' && data[1] == '\xfe'));
}

class TreeBuilder
{
public:
    TreeBuilder (XML_Parser p, XmlReading::CharacterReferences refs, const char* data, size_t numBytes)
        : parser (p)
        , references (refs)
        , documentBytes (data)
        , documentSize (numBytes)
        , utf16 (startsWithUtf16Mark (data, numBytes))
    {
        XML_SetUserData (parser, this);
        XML_SetXmlDeclHandler (parser, xmlDeclaration);
        XML_SetStartDoctypeDeclHandler (parser, startDoctype);
        XML_SetEntityDeclHandler (parser, entityDeclaration);
        XML_SetSkippedEntityHandler (parser, skippedEntity);
        XML_SetElementHandler (parser, startElement, endElement);
        XML_SetCharacterDataHandler (parser, characterData);
        XML_SetCdataSectionHandler (parser, startCdata, endCdata);
        XML_SetParamEntityParsing (parser, XML_PARAM_ENTITY_PARSING_NEVER);
    }

    std::unique_ptr<juce::XmlElement> takeRoot()
    {
        return failed || ! open.empty() ? nullptr : std::move (root);
    }

    void refuse()
    {
        if (! failed)
        {
            failed = true;
            XML_StopParser (parser, XML_FALSE);
        }
    }

private:
    // An element being read, with its children kept apart until it closes: the framework appends
    // a child by walking the list, so they are put in front of each other in one pass instead.
    struct OpenElement
    {
        std::unique_ptr<juce::XmlElement> element;
        std::vector<std::unique_ptr<juce::XmlElement>> children;
    };

    static TreeBuilder& from (void* userData) { return *static_cast<TreeBuilder*> (userData); }

    // UTF-8, or US-ASCII that holds no other byte, or UTF-16 that its byte-order mark announced.
    static void xmlDeclaration (void* userData, const XML_Char*, const XML_Char* encoding, int)
    {
        auto& builder = from (userData);
        const juce::String declared (encoding);

        if (encoding == nullptr || declared.equalsIgnoreCase (builder.utf16 ? "UTF-16" : "UTF-8"))
            return;

        if (builder.utf16 || ! declared.equalsIgnoreCase ("US-ASCII"))
        {
            builder.refuse();
            return;
        }

        for (size_t i = 0; i < builder.documentSize; ++i)
            if ((unsigned char) builder.documentBytes[i] >= 0x80)
                builder.refuse();
    }

    static void startDoctype (void* userData, const XML_Char*, const XML_Char*, const XML_Char*, int hasInternalSubset)
    {
        if (hasInternalSubset != 0)
            from (userData).refuse();
    }

    static void entityDeclaration (void* userData, const XML_Char*, int, const XML_Char*, int,
                                   const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*)
    {
        from (userData).refuse();
    }

    // A reference to an entity that only an external subset could declare.
    static void skippedEntity (void* userData, const XML_Char*, int)
    {
        from (userData).refuse();
    }

    static void startElement (void* userData, const XML_Char* name, const XML_Char** attributes)
    {
        auto& builder = from (userData);

        if (builder.failed)
            return;

        builder.flushText();

        if ((int) builder.open.size() >= XmlReading::maxNestingDepth)
        {
            builder.refuse();
            return;
        }

        auto element = std::make_unique<juce::XmlElement> (juce::String::fromUTF8 (name));
        int count = 0;

        for (auto** attribute = attributes; *attribute != nullptr; attribute += 2)
        {
            juce::String value;

            if (++count > maxAttributesPerElement || ! builder.makeText (attribute[1], std::strlen (attribute[1]), value))
            {
                builder.refuse();
                return;
            }

            element->setAttribute (juce::Identifier (juce::String::fromUTF8 (attribute[0])), value);
        }

        builder.open.push_back ({ std::move (element), {} });
    }

    static void endElement (void* userData, const XML_Char*)
    {
        auto& builder = from (userData);

        if (builder.failed || builder.open.empty())
            return;

        builder.flushText();

        auto closed = std::move (builder.open.back());
        builder.open.pop_back();

        for (auto it = closed.children.rbegin(); it != closed.children.rend(); ++it)
            closed.element->prependChildElement (it->release());

        if (builder.open.empty())
            builder.root = std::move (closed.element);
        else
            builder.open.back().children.push_back (std::move (closed.element));
    }

    static void characterData (void* userData, const XML_Char* text, int length)
    {
        auto& builder = from (userData);

        if (! builder.failed)
            (builder.inCdata ? builder.cdata : builder.pendingText).append (text, (size_t) length);
    }

    static void startCdata (void* userData)
    {
        auto& builder = from (userData);

        if (builder.failed)
            return;

        if (builder.references == XmlReading::CharacterReferences::anyScalar)
        {
            builder.refuse();
            return;
        }

        builder.flushText();
        builder.inCdata = true;
        builder.cdata.clear();
    }

    // A CDATA section is a text child of its own, kept even when blank, as the framework keeps it.
    static void endCdata (void* userData)
    {
        auto& builder = from (userData);

        if (builder.failed || builder.open.empty())
            return;

        builder.inCdata = false;
        builder.open.back().children.emplace_back (juce::XmlElement::createTextElement (juce::String::fromUTF8 (builder.cdata.data(), (int) builder.cdata.size())));
        builder.cdata.clear();
    }

    bool makeText (const char* utf8, size_t numBytes, juce::String& text)
    {
        if (numBytes > (size_t) INT_MAX)
            return false;

        if (references == XmlReading::CharacterReferences::xml)
        {
            text = juce::String::fromUTF8 (utf8, (int) numBytes);
            return true;
        }

        if (! decodeReferences (std::string (utf8, numBytes), decodedText))
            return false;

        text = juce::String::fromUTF8 (decodedText.data(), (int) decodedText.size());
        return true;
    }

    // Text between two pieces of markup other than comments and processing instructions is one
    // text child; blank text is dropped, as the framework's parser drops it.
    void flushText()
    {
        if (pendingText.empty() || open.empty())
        {
            pendingText.clear();
            return;
        }

        juce::String text;

        if (! makeText (pendingText.data(), pendingText.size(), text))
        {
            refuse();
            return;
        }

        pendingText.clear();

        if (text.containsNonWhitespaceChars())
            open.back().children.emplace_back (juce::XmlElement::createTextElement (text));
    }

    XML_Parser parser;
    const XmlReading::CharacterReferences references;
    const char* documentBytes;
    size_t documentSize;
    const bool utf16;

    std::vector<OpenElement> open;
    std::unique_ptr<juce::XmlElement> root;
    std::string pendingText, cdata, decodedText;
    bool inCdata = false, failed = false;
};

struct ParserDeleter
{
    void operator() (XML_Parser parser) const { XML_ParserFree (parser); }
};

} // namespace

bool XmlReading::hasTagName (const juce::XmlElement* element, juce::StringRef name)
{
    return element != nullptr && ! element->isTextElement()
           && element->getTagName().equalsIgnoreCase (name);
}

juce::String XmlReading::getAttribute (const juce::XmlElement& element, juce::StringRef name)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
        if (element.getAttributeName (i).equalsIgnoreCase (name))
            return element.getAttributeValue (i);

    return {};
}

juce::XmlElement* XmlReading::getChildByName (const juce::XmlElement& element, juce::StringRef name)
{
    for (auto* child : element.getChildIterator())
        if (hasTagName (child, name))
            return child;

    return nullptr;
}

std::unique_ptr<juce::XmlElement> XmlReading::parse (const void* data, size_t numBytes, CharacterReferences references)
{
    auto* bytes = static_cast<const char*> (data);

    if (bytes == nullptr || numBytes == 0 || numBytes > (size_t) INT_MAX)
        return {};

    // A UTF-16 byte-order mark is honoured. Without one a document is UTF-8: expat would also
    // take the zero bytes of a "<" in UTF-16 or UTF-32 for their mark, and no document of ours
    // holds a zero byte.
    const bool utf16 = startsWithUtf16Mark (bytes, numBytes);

    if (! utf16 && std::memchr (bytes, 0, numBytes) != nullptr)
        return {};

    std::string escaped;

    if (references == CharacterReferences::anyScalar)
    {
        // Our settings files are UTF-8.
        if (utf16)
            return {};

        escaped = escapeReferences (bytes, numBytes);

        if (escaped.size() > (size_t) INT_MAX)
            return {};

        bytes = escaped.data();
        numBytes = escaped.size();
    }

    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser (XML_ParserCreate (utf16 ? "UTF-16" : "UTF-8"));

    if (parser == nullptr)
        return {};

    TreeBuilder builder (parser.get(), references, bytes, numBytes);

    if (XML_Parse (parser.get(), bytes, (int) numBytes, XML_TRUE) != XML_STATUS_OK)
        return {};

    return builder.takeRoot();
}

std::unique_ptr<juce::XmlElement> XmlReading::parse (const juce::MemoryBlock& bytes, CharacterReferences references)
{
    return parse (bytes.getData(), bytes.getSize(), references);
}

std::unique_ptr<juce::XmlElement> XmlReading::parse (const juce::String& text)
{
    return parse (text.toRawUTF8(), text.getNumBytesAsUTF8());
}

std::unique_ptr<juce::XmlElement> XmlReading::parseFile (const juce::File& file, juce::int64 maxBytes,
                                                         CharacterReferences references)
{
    juce::MemoryBlock contents;

    if (! PlatformFiles::readRegularFile (file.getFullPathName(), maxBytes, contents))
        return {};

    return parse (contents, references);
}
