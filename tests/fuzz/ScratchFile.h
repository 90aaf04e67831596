#pragma once

#include <juce_core/juce_core.h>

#include <unistd.h>

// A file of this process in the temporary folder, for a target that reads its input from disk.
// Deleted when the process ends normally (libFuzzer's time limit, the corpus replay); a finding
// ends the run with abort, which leaves it.
class ScratchFile final
{
public:
    explicit ScratchFile (const juce::String& prefix)
        : file (juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile (prefix + juce::String ((int) ::getpid())))
    {
    }

    ~ScratchFile() { file.deleteFile(); }

    const juce::File& get() const noexcept { return file; }

private:
    juce::File file;

    JUCE_DECLARE_NON_COPYABLE (ScratchFile)
};
