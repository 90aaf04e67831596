#pragma once

#include "tasks/ArchiveFile.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <set>
#include <thread>

// Unpacks fetched archives into the temporary folder on a thread of its own, so the next archive
// can be fetched meanwhile. Jobs run one at a time and in the order they were added, so the
// folder goes through the same steps as when each archive is unpacked as soon as it arrives.
class BackgroundUnpacker final
{
public:
    explicit BackgroundUnpacker (const juce::String& temporaryFolder);

    // Waits for the job under way.
    ~BackgroundUnpacker();

    // Waits for the job before, then starts this one: the component's leftover in the folder is
    // removed (a link itself, never where it leads), and the archive, when there is one, is
    // unpacked and then deleted.
    void add (const juce::String& componentName, std::unique_ptr<ArchiveFile> archive);

    // Waits for the job under way; afterwards the results below are complete.
    void waitUntilDone();

    // True when the component's latest archive was unpacked whole. Only valid after waitUntilDone().
    bool hasUnpacked (const juce::String& componentName) const;

private:
    void unpackInOrder (const juce::String& componentName, ArchiveFile* archive);

    juce::String folder;
    std::thread worker;
    std::set<juce::String> unpacked;

    JUCE_DECLARE_NON_COPYABLE (BackgroundUnpacker)
};
