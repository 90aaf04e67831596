#pragma once

#include "platform/PlatformAuthorization.h"

// Hands the downloaded copy of the manager over to a background shell script, which waits until
// every process of this user running the manager has ended, unpacks the archive, copies the
// bundle into /Applications with administrator rights, removes the download and starts the new
// copy. Each step runs only when the one before it succeeded.
class SelfUpdateHandOver final
{
public:
    struct Options
    {
        // The folder holding the downloaded archive; the archive is unpacked into it.
        juce::String tempFolder;

        // The elevation program for the copy; a root process copies directly.
        PlatformAuthorization::Options authorization;
    };

    static constexpr const char* bundleName = "Quorvelan Plugin Manager.app";
    static constexpr const char* archiveName = "Quorvelan Plugin Manager.app.zip";
    static constexpr const char* programName = "Quorvelan Plugin Manager";
    static constexpr const char* destinationFolder = "/Applications";

    // The script's lines in order, without their leading tabs.
    static juce::StringArray buildScriptLines (const Options& options);

    // The lines joined by newlines, every line after the first starting with one tab.
    static juce::String buildScript (const Options& options);

    // The whole command given to the shell: the script in the background, its streams on
    // /dev/null.
    static juce::String buildCommand (const Options& options);

    // Starts the script and returns at once; false when no shell could be started.
    static bool launchSelfUpdateScript (const Options& options);

    // The text in single quotes, each single quote inside written '\''.
    static juce::String quoteForShell (const juce::String& text);

private:
    SelfUpdateHandOver() = delete;
};
