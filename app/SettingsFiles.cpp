#include "app/SettingsFiles.h"

#include "catalogue/XmlReading.h"

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

bool SettingsFiles::writeXml (const juce::XmlElement& root, const juce::File& file)
{
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.lineWrapLength = 60;
    return root.writeTo (file, format);
}

std::unique_ptr<juce::XmlElement> SettingsFiles::readXml (const juce::File& file)
{
    return XmlReading::parseFile (file);
}
