#pragma once

#include <juce_core/juce_core.h>

// Reads the server's XML with tag and attribute names matched without regard to case.
class XmlReading final
{
public:
    static bool hasTagName (const juce::XmlElement* element, juce::StringRef name);

    // The attribute's value, empty when there is none of that name.
    static juce::String getAttribute (const juce::XmlElement& element, juce::StringRef name);

    // The first child element of that name, or null.
    static juce::XmlElement* getChildByName (const juce::XmlElement& element, juce::StringRef name);

    // Documents from outside (server replies, Info.plist, settings files) nested deeper than this
    // are refused before the framework's parser, which recurses once per level, sees them.
    static constexpr int maxNestingDepth = 256;

    // True when no element of the text lies deeper than maxDepth levels.
    static bool isNestingWithin (const juce::String& text, int maxDepth = maxNestingDepth);

    // The parsed document, or null when it is not well-formed or nested too deep.
    static std::unique_ptr<juce::XmlElement> parse (const juce::String& text);

    // The same for a file: null when it is not a regular file of at most maxBytes.
    static constexpr juce::int64 maxFileBytes = 16 * 1024 * 1024;
    static std::unique_ptr<juce::XmlElement> parseFile (const juce::File& file, juce::int64 maxBytes = maxFileBytes);

private:
    XmlReading() = delete;
};
