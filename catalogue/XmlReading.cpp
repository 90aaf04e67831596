#include "catalogue/XmlReading.h"

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
