#pragma once

#include <juce_core/juce_core.h>

// The one reader of XML from outside (server replies, settings files, components.xml,
// Info.plist), on expat. It builds the framework's element trees, with text children as the
// framework's own parser makes them, and matches tag and attribute names without regard to case.
//
// A document is read only when it is well-formed, UTF-8 (or declared US-ASCII), nested at most
// maxNestingDepth deep and free of document-type subsets and entity declarations; a plain
// <!DOCTYPE ... PUBLIC "..." "..."> line is read, and nothing outside the document is ever fetched.
class XmlReading final
{
public:
    static bool hasTagName (const juce::XmlElement* element, juce::StringRef name);

    // The attribute's value, empty when there is none of that name.
    static juce::String getAttribute (const juce::XmlElement& element, juce::StringRef name);

    // The first child element of that name, or null.
    static juce::XmlElement* getChildByName (const juce::XmlElement& element, juce::StringRef name);

    // Elements nested deeper than this (the root is level 1) make a document unreadable.
    static constexpr int maxNestingDepth = 256;

    // What a character reference may name. The framework's writer writes control characters as
    // references that XML 1.0 forbids ("&#2;"); our own settings files may hold them.
    enum class CharacterReferences
    {
        xml,      // as XML 1.0 allows
        anyScalar // any Unicode scalar value but 0; the document may then hold no CDATA section
    };

    // The parsed document, or null when it is not one the reader takes.
    static std::unique_ptr<juce::XmlElement> parse (const void* data, size_t numBytes,
                                                    CharacterReferences references = CharacterReferences::xml);
    static std::unique_ptr<juce::XmlElement> parse (const juce::MemoryBlock& bytes,
                                                    CharacterReferences references = CharacterReferences::xml);

    // The text's UTF-8 form, parsed.
    static std::unique_ptr<juce::XmlElement> parse (const juce::String& text);

    // The same for a file: null when it is not a regular file of at most maxBytes.
    static constexpr juce::int64 maxFileBytes = 16 * 1024 * 1024;
    static std::unique_ptr<juce::XmlElement> parseFile (const juce::File& file, juce::int64 maxBytes = maxFileBytes,
                                                        CharacterReferences references = CharacterReferences::xml);

private:
    XmlReading() = delete;
};
