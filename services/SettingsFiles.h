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

    // The bytes writeXml writes for the element.
    static juce::MemoryBlock formatXml (const juce::XmlElement& root);

    // Replaces the file with the bytes, readable and writable by its owner only; on failure the
    // earlier file stays whole.
    static bool writePrivateFile (const juce::MemoryBlock& content, const juce::File& file);

    // A missing or unreadable file (not a regular file, over 16 MB, not well-formed or nested too
    // deep) reads as null.
    static std::unique_ptr<juce::XmlElement> readXml (const juce::File& file);

private:
    static juce::XmlElement::TextFormat getTextFormat();

    SettingsFiles() = delete;
};
