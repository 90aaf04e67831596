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

private:
    XmlReading() = delete;
};
