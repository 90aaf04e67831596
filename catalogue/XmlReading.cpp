#include "catalogue/XmlReading.h"

#include "platform/PlatformFiles.h"

#include <cstring>

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

bool XmlReading::isNestingWithin (const juce::String& text, int maxDepth)
{
    auto p = text.getCharPointer();
    int depth = 0;

    // Skips to just after the terminator; false when the text ends first.
    auto skipPast = [&p] (const char* terminator)
    {
        const auto length = (int) std::strlen (terminator);

        for (; ! p.isEmpty(); ++p)
            if (p.compareUpTo (juce::CharPointer_ASCII (terminator), length) == 0)
            {
                p += length;
                return true;
            }

        return false;
    };

    while (! p.isEmpty())
    {
        if (*p != '<')
        {
            ++p;
            continue;
        }

        ++p;

        if (*p == '?')
        {
            if (! skipPast ("?>"))
                return true;
        }
        else if (*p == '!')
        {
            if (p.compareUpTo (juce::CharPointer_ASCII ("!--"), 3) == 0)
            {
                if (! skipPast ("-->"))
                    return true;
            }
            else if (p.compareUpTo (juce::CharPointer_ASCII ("![CDATA["), 8) == 0)
            {
                if (! skipPast ("]]>"))
                    return true;
            }
            else
            {
                // A declaration, with any internal subset in brackets.
                int brackets = 0;

                for (; ! p.isEmpty(); ++p)
                {
                    if (*p == '[')
                        ++brackets;
                    else if (*p == ']')
                        --brackets;
                    else if (*p == '>' && brackets <= 0)
                        break;
                }
            }
        }
        else if (*p == '/')
        {
            --depth;
        }
        else
        {
            // An opening tag: find its end, passing over quoted attribute values.
            juce::juce_wchar quote = 0, previous = 0;

            for (; ! p.isEmpty(); ++p)
            {
                const auto c = *p;

                if (quote != 0)
                {
                    if (c == quote)
                        quote = 0;
                }
                else if (c == '"' || c == '\'')
                {
                    quote = c;
                }
                else if (c == '>')
                {
                    break;
                }

                previous = c;
            }

            if (previous != '/' && ++depth > maxDepth)
                return false;
        }
    }

    return true;
}

std::unique_ptr<juce::XmlElement> XmlReading::parse (const juce::String& text)
{
    if (! isNestingWithin (text))
        return {};

    return juce::parseXML (text);
}

std::unique_ptr<juce::XmlElement> XmlReading::parseFile (const juce::File& file, juce::int64 maxBytes)
{
    juce::MemoryBlock contents;

    if (! PlatformFiles::readRegularFile (file.getFullPathName(), maxBytes, contents))
        return {};

    // Decoded as the framework reads a text file: a byte-order mark is honoured, not kept.
    return parse (juce::String::createStringFromData (contents.getData(), (int) contents.getSize()));
}
