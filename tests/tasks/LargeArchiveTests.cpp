#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/InstalledBundles.h"
#include "catalogue/PluginFolders.h"
#include "localisation/Languages.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"
#include "tasks/DownloadThread.h"

namespace
{
// The stand-in server inside the private namespace, started only there.
class LargeArchiveOnline : public ServerFixture
{
protected:
    void SetUp() override
    {
        if (TestEnvironment::isInPrivateRoot())
            ServerFixture::SetUp();
    }

    void TearDown() override
    {
        if (TestEnvironment::isInPrivateRoot())
            ServerFixture::TearDown();
    }
};

// True when the file holds exactly the bytes of the block.
bool fileHoldsExactly (const juce::File& file, const juce::MemoryBlock& expected)
{
    juce::FileInputStream in (file);

    if (! in.openedOk() || in.getTotalLength() != (juce::int64) expected.getSize())
        return false;

    juce::HeapBlock<char> chunk (1 << 20);
    size_t offset = 0;

    while (offset < expected.getSize())
    {
        const auto numRead = in.read (chunk, 1 << 20);

        if (numRead <= 0 || memcmp (chunk, static_cast<const char*> (expected.getData()) + offset, (size_t) numRead) != 0)
            return false;

        offset += (size_t) numRead;
    }

    return true;
}
} // namespace

TEST_F (LargeArchiveOnline, ArchiveOfTwoHundredMegabytesInstallsWhole)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    setLanguage (0);
    const juce::String vstFolder = getDefaultVstFolder();
    const juce::File temp (getTempFolderPath());
    temp.deleteRecursively();

    BundleFixtures::ScratchFolder repository;
    server.setRepositoryFolder (repository.getFile().getFullPathName().toStdString());

    // Incompressible, so the archive is as large as the plug-in.
    juce::MemoryBlock binary ((size_t) 200 * 1024 * 1024);
    juce::Random (15).fillBitsRandomly (binary.getData(), binary.getSize());
    const auto archive = repository.getChild ("components/MAC/Large Plug.vst.zip");
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (archive, "Large Plug.vst", "2.0", binary, 0));
    ASSERT_GT (archive.getSize(), (juce::int64) binary.getSize());

    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Large Plug.vst", "1.0");
    BundleFixtures::buildCatalogue ("<components>" + BundleFixtures::productXml (1, "Large", "2.0", 1, BundleFixtures::componentXml ("VST", "Large Plug.vst")) + "</components>", true);

    juce::OwnedArray<InstallTask> tasks;
    FormatLocations locations;
    locations.vst = vstFolder;
    tasks.add (new InstallTask (1, { "VST" }, locations));

    {
        DownloadThread download (tasks, true);
        download.runThread (juce::Thread::Priority::normal);
        EXPECT_EQ (download.getStatusLog(), juce::StringArray ({ "Preparing Installation", "Downloading and Installing:\nLarge Plug VST", "Completing Installation..." }));
    }

    EXPECT_FLOAT_EQ (readBundleVersion (vstFolder + "Large Plug.vst/Contents/Info.plist"), 2.0f);
    EXPECT_TRUE (fileHoldsExactly (juce::File (vstFolder + "Large Plug.vst/Contents/MacOS/binary"), binary));

    // The downloaded archive is not left behind.
    EXPECT_EQ (temp.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);

    juce::File (vstFolder).deleteRecursively();
    temp.deleteRecursively();
}

TEST_F (LargeArchiveOnline, ArchivesCutShortLeaveNoFileBehind)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    setLanguage (0);
    const juce::String vstFolder = getDefaultVstFolder();
    const juce::File temp (getTempFolderPath());
    temp.deleteRecursively();

    BundleFixtures::ScratchFolder repository;
    server.setRepositoryFolder (repository.getFile().getFullPathName().toStdString());

    juce::MemoryBlock binary (200000);
    juce::Random (9).fillBitsRandomly (binary.getData(), binary.getSize());
    juce::String components;

    for (auto* name : { "Truncated.vst", "Dropped.vst", "Whole.vst" })
    {
        ASSERT_TRUE (BundleFixtures::writeBundleArchive (repository.getChild ("components/MAC/" + juce::String (name) + ".zip"), name, "2.0", binary));
        BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), name, "1.0");
        components << BundleFixtures::componentXml ("VST", name);
    }

    StandInServer::Behaviour truncated, dropped;
    truncated.delivery = StandInServer::Delivery::truncated;
    truncated.cutAfterBytes = 100000;
    dropped.delivery = StandInServer::Delivery::dropConnection;
    server.setBehaviour ("/plugrepo/components/MAC/Truncated.vst.zip", truncated);
    server.setBehaviour ("/plugrepo/components/MAC/Dropped.vst.zip", dropped);

    BundleFixtures::buildCatalogue ("<components>" + BundleFixtures::productXml (1, "Cut", "2.0", 1, components) + "</components>", true);

    juce::OwnedArray<InstallTask> tasks;
    FormatLocations locations;
    locations.vst = vstFolder;
    tasks.add (new InstallTask (1, { "VST" }, locations));

    {
        DownloadThread download (tasks, true);
        download.runThread (juce::Thread::Priority::normal);
    }

    EXPECT_FLOAT_EQ (readBundleVersion (vstFolder + "Truncated.vst/Contents/Info.plist"), 1.0f);
    EXPECT_FLOAT_EQ (readBundleVersion (vstFolder + "Dropped.vst/Contents/Info.plist"), 1.0f);
    EXPECT_FLOAT_EQ (readBundleVersion (vstFolder + "Whole.vst/Contents/Info.plist"), 2.0f);
    EXPECT_EQ (temp.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0) << "no partial archive is left";

    juce::File (vstFolder).deleteRecursively();
    temp.deleteRecursively();
}
