#include "services/SettingsFiles.h"

#include "platform/PrivateFile.h"
#include "readers/XmlReading.h"

juce::String SettingsFiles::getSettingsFolderPath()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getFullPathName()
           + "/Quorvelan/";
}

juce::File SettingsFiles::getSettingsFolder()
{
    return juce::File (getSettingsFolderPath());
}

juce::File SettingsFiles::getSettingsFile (const juce::String& name)
{
    return juce::File (getSettingsFolderPath() + name);
}

void SettingsFiles::createSettingsFolder()
{
    auto folder = getSettingsFolder();

    if (! folder.isDirectory())
        folder.createDirectory();
}

juce::XmlElement::TextFormat SettingsFiles::getTextFormat()
{
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.lineWrapLength = 60;
    return format;
}

bool SettingsFiles::writeXml (const juce::XmlElement& root, const juce::File& file)
{
    return root.writeTo (file, getTextFormat());
}

juce::MemoryBlock SettingsFiles::formatXml (const juce::XmlElement& root)
{
    juce::MemoryOutputStream stream;
    root.writeTo (stream, getTextFormat());
    return stream.getMemoryBlock();
}

bool SettingsFiles::writePrivateFile (const juce::MemoryBlock& content, const juce::File& file)
{
    return PrivateFile::replace (file, content.getData(), content.getSize());
}

std::unique_ptr<juce::XmlElement> SettingsFiles::readXml (const juce::File& file)
{
    return XmlReading::parseFile (file);
}
