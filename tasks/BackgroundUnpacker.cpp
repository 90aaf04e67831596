#include "tasks/BackgroundUnpacker.h"

#include "tasks/ArchiveUnpacker.h"
#include "tasks/InstallPaths.h"

BackgroundUnpacker::BackgroundUnpacker (const juce::String& temporaryFolder)
    : folder (temporaryFolder)
{
}

BackgroundUnpacker::~BackgroundUnpacker()
{
    waitUntilDone();
}

void BackgroundUnpacker::add (const juce::String& componentName, std::unique_ptr<ArchiveFile> archive)
{
    waitUntilDone();

    // Only the job touches the set while it runs; the join in waitUntilDone() publishes it. The
    // archive goes with the job and is deleted when the job ends.
    worker = std::thread ([this, componentName, job = std::move (archive)]
                          { unpackInOrder (componentName, job.get()); });
}

void BackgroundUnpacker::unpackInOrder (const juce::String& componentName, ArchiveFile* archive)
{
    // An earlier copy must never pass for this one.
    unpacked.erase (componentName);
    juce::File (InstallPaths::join (folder, componentName)).deleteRecursively();

    if (archive == nullptr)
        return;

    juce::FileInputStream stream (archive->getFile());

    if (stream.openedOk() && ArchiveUnpacker::unpack (stream, folder, componentName))
        unpacked.insert (componentName);
}

void BackgroundUnpacker::waitUntilDone()
{
    if (worker.joinable())
        worker.join();
}

bool BackgroundUnpacker::hasUnpacked (const juce::String& componentName) const
{
    return unpacked.count (componentName) > 0;
}
