#pragma once

#include <juce_core/juce_core.h>

// The customer's settings folder, "Quorvelan" in the application-support folder, and the
// small XML files kept in it.
class SettingsFiles final
{
public:
    // The folder path with its closing "/".
    static juce::String getSettingsFolderPath();
    static juce::File getSettingsFolder();
    static juce::File getSettingsFile (const juce::String& name);

    // Creates the folder (with missing parents) when it is missing or is not a directory.
    static void createSettingsFolder();

    // Writes "UTF-8" XML without DTD, 60 characters a line; failures are not reported.
    static bool writeXml (const juce::XmlElement& root, const juce::File& file);

    // A missing or unreadable file (not a regular file, over 16 MB, not well-formed or nested too
    // deep) reads as null.
    static std::unique_ptr<juce::XmlElement> readXml (const juce::File& file);

private:
    SettingsFiles() = delete;
};
