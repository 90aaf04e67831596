#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "platform/PlatformFiles.h"
#include "tasks/BackgroundUnpacker.h"

namespace
{
// The zip at the path, handed over as a fetched download in the temporary folder.
std::unique_ptr<ArchiveFile> fetched (const juce::File& zip, const juce::File& temp)
{
    juce::MemoryBlock bytes;

    if (! zip.loadFileAsData (bytes))
        return {};

    auto archive = std::make_unique<ArchiveFile> (temp);

    if (! archive->append (bytes.getData(), bytes.getSize()) || ! archive->finishWriting())
        return {};

    return archive;
}
} // namespace

TEST (BackgroundUnpacker, JobsRunInOrderAndEachClearsItsLeftoverAfterTheJobBefore)
{
    BundleFixtures::ScratchFolder scratch;
    const auto temp = scratch.getChild ("temp");
    const auto outside = scratch.getChild ("outside");
    ASSERT_TRUE (temp.createDirectory());
    ASSERT_TRUE (outside.createDirectory());
    ASSERT_TRUE (outside.getChildFile ("keep.txt").replaceWithText ("keep"));

    // Leftovers of an earlier run: a stale copy, and a link to a folder that is not ours.
    ASSERT_TRUE (temp.getChildFile ("Beta.vst/old.txt").create().wasOk());
    ASSERT_TRUE (juce::File::createSymbolicLink (temp.getChildFile ("Gamma.vst"), outside.getFullPathName(), false));

    // Alpha's archive also carries a stray entry into Beta's slot of the folder.
    BundleFixtures::ScratchFolder alphaSource;
    BundleFixtures::writeBundleWithVersion (alphaSource.getFile(), "Alpha.vst", "2.0");
    ASSERT_TRUE (BundleFixtures::zipFolder (alphaSource.getFile(), scratch.getChild ("alpha.zip"), 6,
                                            { { "Beta.vst/stray.txt", "from Alpha's archive" } }));
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (scratch.getChild ("beta.zip"), "Beta.vst", "2.0", juce::MemoryBlock (5000, true)));
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (scratch.getChild ("delta.zip"), "Delta.vst", "2.0", juce::MemoryBlock (5000, true)));
    ASSERT_TRUE (BundleFixtures::damageEntryData (scratch.getChild ("delta.zip"), "Delta.vst/Contents/MacOS/binary", 100));

    {
        BackgroundUnpacker unpacker (temp.getFullPathName());
        unpacker.add ("Alpha.vst", fetched (scratch.getChild ("alpha.zip"), temp));
        unpacker.add ("Beta.vst", fetched (scratch.getChild ("beta.zip"), temp));
        unpacker.add ("Gamma.vst", nullptr);
        unpacker.add ("Delta.vst", fetched (scratch.getChild ("delta.zip"), temp));
        unpacker.waitUntilDone();

        EXPECT_TRUE (unpacker.hasUnpacked ("Alpha.vst"));
        EXPECT_TRUE (unpacker.hasUnpacked ("Beta.vst"));
        EXPECT_FALSE (unpacker.hasUnpacked ("Gamma.vst")) << "nothing was fetched";
        EXPECT_FALSE (unpacker.hasUnpacked ("Delta.vst")) << "a damaged archive is not unpacked";
    }

    EXPECT_TRUE (temp.getChildFile ("Alpha.vst/Contents/Info.plist").existsAsFile());
    EXPECT_TRUE (temp.getChildFile ("Beta.vst/Contents/MacOS/binary").existsAsFile());
    EXPECT_FALSE (temp.getChildFile ("Beta.vst/stray.txt").exists()) << "Beta's slot was cleared after Alpha's job, not before";
    EXPECT_FALSE (temp.getChildFile ("Beta.vst/old.txt").exists());
    EXPECT_FALSE (PlatformFiles::existsWithoutFollowing (temp.getChildFile ("Gamma.vst").getFullPathName())) << "a failed fetch still clears its slot";
    EXPECT_EQ (outside.getChildFile ("keep.txt").loadFileAsString(), "keep") << "a leftover link is removed, never followed";
    EXPECT_FALSE (temp.getChildFile ("Delta.vst").exists());
    EXPECT_EQ (temp.getNumberOfChildFiles (juce::File::findFiles, ".download-*"), 0) << "every fetched archive is deleted after its job";
}
