#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/ComponentRecord.h"
#include "catalogue/InstalledBundles.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "localisation/Languages.h"
#include "platform/PlatformFiles.h"
#include "support/ModalDriver.h"
#include "support/RawHttpServer.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"
#include "tasks/DownloadThread.h"

using BundleFixtures::componentXml;

namespace
{
using Commands = juce::Array<juce::StringArray>;

const juce::String vstFolder = "/Library/Audio/Plug-Ins/VST/";
const juce::String auFolder = "/Library/Audio/Plug-Ins/Components/";

float installedVersion (const juce::String& folder, const juce::String& name)
{
    return readBundleVersion (folder + name + "/Contents/Info.plist");
}

FormatLocations defaultLocations()
{
    FormatLocations locations;
    locations.vst = vstFolder;
    locations.au = auFolder;
    locations.rtas = getDefaultRtasFolder();
    return locations;
}

// The stand-in server with a repository of component archives, and the program's own plug-in
// folders, inside the private namespace.
class InstallOnline : public ServerFixture
{
protected:
    void SetUp() override
    {
        if (! TestEnvironment::isInPrivateRoot())
            return;

        ServerFixture::SetUp();
        setLanguage (0);
        juce::File (getTempFolderPath()).deleteRecursively();
        server.setRepositoryFolder (repository.getFile().getFullPathName().toStdString());
    }

    void TearDown() override
    {
        if (TestEnvironment::isInPrivateRoot())
            ServerFixture::TearDown();
    }

    // An archive holding a bundle of that name and version at its top level.
    void addArchive (const juce::String& name, const juce::String& version)
    {
        const juce::String binary (name + " " + version);
        ASSERT_TRUE (BundleFixtures::writeBundleArchive (archiveFor (name), name, version,
                                                         juce::MemoryBlock (binary.toRawUTF8(), binary.getNumBytesAsUTF8())));
    }

    // Zips every file below the folder; extra entries are (name in archive, text).
    void writeArchive (const juce::String& name, const juce::File& folder,
                       const std::vector<std::pair<juce::String, juce::String>>& extraEntries)
    {
        ASSERT_TRUE (BundleFixtures::zipFolder (folder, archiveFor (name), 6, extraEntries));
    }

    juce::File archiveFor (const juce::String& name) const
    {
        return repository.getChild ("components/MAC/" + name + ".zip");
    }

    static void useCatalogue (const juce::String& productsXml)
    {
        BundleFixtures::buildCatalogue ("<components>" + productsXml + "</components>", true);
    }

    static juce::String productXml (int id, const juce::String& latest, const juce::String& components)
    {
        return BundleFixtures::productXml (id, "P" + juce::String (id), latest, id, components);
    }

    struct RunResult
    {
        juce::StringArray statuses;
        Commands commands;
        bool rightsRequested = false;
        bool finished = false;
        bool cancelled = false;
    };

    static RunResult runTasks (const juce::OwnedArray<InstallTask>& tasks, bool installMode,
                               const PlatformAuthorization::Options& options = {}, int cancelAfterMs = -1)
    {
        DownloadThread download (tasks, installMode, options);
        ModalDriver driver;

        if (cancelAfterMs >= 0)
            driver.whenModalAppears ([cancelAfterMs] (juce::Component& window)
                                     { juce::Timer::callAfterDelay (cancelAfterMs, [&window]
                                                                    { ModalDriver::pressButton (window, "Cancel"); }); });

        RunResult result;
        result.finished = download.runThread (juce::Thread::Priority::normal);
        result.cancelled = download.wasCancelPressed();
        result.statuses = download.getStatusLog();
        result.commands = download.getCommandLog();
        result.rightsRequested = download.wereRightsRequested();
        return result;
    }

    static juce::OwnedArray<InstallTask> makeTasks (std::initializer_list<std::pair<int, juce::StringArray>> list)
    {
        juce::OwnedArray<InstallTask> tasks;
        for (auto& t : list)
            tasks.add (new InstallTask (t.first, t.second, defaultLocations()));
        return tasks;
    }

    std::vector<std::string> getPaths() const
    {
        std::vector<std::string> paths;
        for (auto& r : server.getRequests())
            paths.push_back (r.path);
        return paths;
    }

    BundleFixtures::ScratchFolder repository;
};

juce::StringArray command (std::initializer_list<const char*> words)
{
    juce::StringArray result;
    for (auto* w : words)
        result.add (juce::String::fromUTF8 (w));
    return result;
}

const juce::String temp()
{
    return getTempFolderPath();
}

// The commands that put a new copy in place: moved beside the installed copy under a hidden
// name, then, only once it is whole there, the installed copy removed and the new one renamed.
Commands installCommands (const juce::String& folder, const juce::String& name, bool replacing)
{
    const auto staged = folder + ".quorvelan-new-" + name;
    Commands commands;
    commands.add (command ({ "/bin/mkdir", "-p", folder.toRawUTF8() }));
    commands.add (command ({ "/bin/mv", "-f", (temp() + "/" + name).toRawUTF8(), staged.toRawUTF8() }));

    if (replacing)
        commands.add (command ({ "/bin/rm", "-R", "-f", (folder + name).toRawUTF8() }));

    commands.add (command ({ "/bin/mv", "-f", staged.toRawUTF8(), (folder + name).toRawUTF8() }));
    return commands;
}

Commands concatenate (std::initializer_list<Commands> lists)
{
    Commands all;

    for (auto& list : lists)
        all.addArray (list);

    return all;
}
} // namespace

//==============================================================================
TEST (DownloadThread, LabelsDestinationsAndNames)
{
    ComponentRecord alpha ("Alpha.component", "AU", "MAC", "", true, false);
    ComponentRecord plain ("Plain", "VST", "MAC", "", true, false);
    ComponentRecord twoDots ("My.Plug.vst", "VST64", "MAC", "", true, false);

    EXPECT_EQ (DownloadThread::makeLabel (alpha), "Alpha AU");
    EXPECT_EQ (DownloadThread::makeLabel (plain), "Plain VST");
    EXPECT_EQ (DownloadThread::makeLabel (twoDots), "My VST64");

    FormatLocations locations;
    locations.rtas = "/r/";
    locations.vst = "/v/";
    locations.vst64 = "/v64/";
    locations.au = "/a/";

    EXPECT_EQ (DownloadThread::destinationForFormat (locations, "RTAS"), "/r/");
    EXPECT_EQ (DownloadThread::destinationForFormat (locations, "VST"), "/v/");
    EXPECT_EQ (DownloadThread::destinationForFormat (locations, "VST64"), "/v64/");
    EXPECT_EQ (DownloadThread::destinationForFormat (locations, "AU"), "/a/");
    EXPECT_EQ (DownloadThread::destinationForFormat (locations, "au"), "");
    EXPECT_EQ (DownloadThread::destinationForFormat (locations, "VST3"), "");

    for (auto* bad : { "", ".", "..", "a/b", "/", "a\\b", "../x", "x/.." })
        EXPECT_FALSE (DownloadThread::isSafeComponentName (bad)) << bad;

    for (auto* good : { "Alpha.vst", "My Plug.component", "..hidden", "a..b", "*", "x y" })
        EXPECT_TRUE (DownloadThread::isSafeComponentName (good)) << good;
}

TEST (DownloadThread, BarShowsTheShareOfTheArchiveRead)
{
    setLanguage (0);
    juce::File (temp()).deleteRecursively();

    // An archive of many 1024-byte blocks, stored without compression.
    BundleFixtures::ScratchFolder repository;
    juce::MemoryBlock code (20000);
    juce::Random random (7);
    random.fillBitsRandomly (code.getData(), code.getSize());

    auto archive = repository.getChild ("Alpha.vst.zip");
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (archive, "Alpha.vst", "1.2", code, 0));

    ComponentRecord alpha ("Alpha.vst", "VST", "MAC", archive.getFullPathName(), false, false);
    DownloadThread download ({}, true);

    auto* window = download.getAlertWindow();
    window->addToDesktop (window->getLookAndFeel().getAlertBoxWindowFlags());
    window->setVisible (true);

    auto* bar = ModalDriver::findProgressBar (*window);
    ASSERT_NE (bar, nullptr);

    EXPECT_TRUE (download.downloadAndUnpack (alpha));
    EXPECT_TRUE (TestEnvironment::runUntil ([bar]
                                            { return ModalDriver::getProgressValue (*bar) == 1.0; },
                                            600000))
        << "the bar shows the share read";
    TestEnvironment::runFor (200);
    EXPECT_DOUBLE_EQ (ModalDriver::getProgressValue (*bar), 1.0) << "and keeps it, whatever else refreshes the window";
    EXPECT_EQ (download.getStatusLog(), juce::StringArray ("Installing from Disk:\nAlpha VST"));
    EXPECT_EQ (juce::File (temp() + "/Alpha.vst/Contents/MacOS/binary").getSize(), (juce::int64) code.getSize());

    window->removeFromDesktop();
}

TEST (DownloadThread, ArchivesCutShortOrRedirectedAwayAreNotTaken)
{
    setLanguage (0);
    juce::File (temp()).deleteRecursively();

    // Stored, so the archive is many times the download's blocks and curl's buffer.
    BundleFixtures::ScratchFolder folder;
    const auto archiveFile = folder.getChild ("Alpha.vst.zip");
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (archiveFile, "Alpha.vst", "2.0", juce::MemoryBlock (600000, true), 0));
    juce::MemoryBlock data;
    ASSERT_TRUE (archiveFile.loadFileAsData (data));
    const std::string archive (static_cast<const char*> (data.getData()), data.getSize());
    const auto length = std::to_string (archive.size());

    RawHttpServer server, elsewhere;
    ConnectionRecorder otherScheme;
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    const std::string untilClosed = ok + "Connection: close\r\n\r\n";
    elsewhere.answerWith (ok + "Content-Length: " + length + "\r\n\r\n" + archive);

    auto redirectTo = [] (const juce::String& location)
    {
        return "HTTP/1.1 302 Found\r\nLocation: " + location.toStdString() + "\r\nContent-Length: 0\r\n\r\n";
    };

    // The download makes its archive file once it has connected: a reply ends only then, so the
    // download is handed its first bytes before any cut.
    auto downloadConnected = [tempFolder = juce::File (temp())]
    { return tempFolder.getNumberOfChildFiles (juce::File::findFiles) > 0; };

    using Ending = RawHttpServer::Ending;

    // Every byte of the archive arrives in each cut reply: only the transfer tells that it broke.
    const std::tuple<const char*, std::string, Ending, bool> cases[] = {
        { "length, whole", ok + "Content-Length: " + length + "\r\n\r\n" + archive, Ending::close, true },
        { "length, cut short", ok + "Content-Length: " + std::to_string (archive.size() + 10) + "\r\n\r\n" + archive, Ending::close, false },
        { "chunked, whole", chunked + makeChunkedBody (archive, 1000, true), Ending::close, true },
        { "chunked, cut before its last chunk", chunked + makeChunkedBody (archive, 1000, false), Ending::close, false },
        { "no length, ended by closing", untilClosed + archive, Ending::close, true },
        { "no length, ended by a reset", untilClosed + archive, Ending::reset, false },
        { "redirect to http", redirectTo (elsewhere.getOrigin() + "/Alpha.vst.zip"), Ending::close, true },
        { "redirect to ftp", redirectTo ("ftp://127.0.0.1:" + juce::String (otherScheme.getPort()) + "/a"), Ending::close, false },
    };

    ComponentRecord alpha ("Alpha.vst", "VST", "MAC", server.getOrigin() + "/plugrepo/components/MAC/Alpha.vst.zip", true, false);

    for (auto& [label, reply, ending, whole] : cases)
    {
        SCOPED_TRACE (label);
        juce::File (temp()).deleteRecursively();
        server.answerWith (reply, ending, downloadConnected);

        DownloadThread download ({}, true);
        EXPECT_EQ (download.downloadAndUnpack (alpha), whole);
        EXPECT_EQ (juce::File (temp() + "/Alpha.vst/Contents/Info.plist").existsAsFile(), whole);
    }

    EXPECT_EQ (otherScheme.stopAndCountConnections(), 0);
}

TEST_F (InstallOnline, TwoTasksDownloadFirstThenReplaceInOrder)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Alpha.vst", "1.0");
    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Old Plug.vst", "0.5");
    addArchive ("Alpha.vst", "1.2");
    addArchive ("Alpha.component", "1.2");
    addArchive ("Old Plug.vst", "9.9");
    addArchive ("Beta.vst", "2.0");

    useCatalogue (productXml (1, "1.2", componentXml ("VST", "Alpha.vst") + componentXml ("AU", "Alpha.component") + componentXml ("VST", "Old Plug.vst", true))
                  + productXml (2, "2.0", componentXml ("VST", "Beta.vst")));

    auto result = runTasks (makeTasks ({ { 1, { "AU", "VST" } }, { 2, { "VST" } } }), true);

    EXPECT_TRUE (result.finished);
    EXPECT_TRUE (result.rightsRequested);
    EXPECT_EQ (getPaths(), (std::vector<std::string>{ "/plugrepo/components/MAC/Alpha.component.zip",
                                                      "/plugrepo/components/MAC/Alpha.vst.zip",
                                                      "/plugrepo/components/MAC/Old%20Plug.vst.zip",
                                                      "/plugrepo/components/MAC/Beta.vst.zip" }));

    const auto expected = concatenate ({ installCommands (auFolder, "Alpha.component", false),
                                         installCommands (vstFolder, "Alpha.vst", true),
                                         Commands{ command ({ "/bin/rm", "-R", "-f", "/Library/Audio/Plug-Ins/VST/Old Plug.vst" }) },
                                         installCommands (vstFolder, "Beta.vst", false) });
    EXPECT_EQ (result.commands, expected);
    EXPECT_FALSE (juce::File (vstFolder + ".quorvelan-new-Alpha.vst").exists()) << "nothing staged is left";

    EXPECT_FLOAT_EQ (installedVersion (auFolder, "Alpha.component"), 1.2f);
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Alpha.vst"), 1.2f);
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Beta.vst"), 2.0f);
    EXPECT_FALSE (juce::File (vstFolder + "Old Plug.vst").exists()) << "an obsolete file is only removed";
    EXPECT_TRUE (juce::File (temp() + "/Old Plug.vst").exists()) << "though it was downloaded and unpacked";

    EXPECT_EQ (result.statuses, juce::StringArray ({ "Preparing Installation",
                                                     "Downloading and Installing:\nAlpha AU",
                                                     "Downloading and Installing:\nAlpha VST",
                                                     "Downloading and Installing:\nOld Plug VST",
                                                     "Downloading and Installing:\nBeta VST",
                                                     "Removing Obsolete File:\nOld Plug VST",
                                                     "Completing Installation..." }));

    // The catalogue was rebuilt at the end.
    auto* alpha = ProductCatalogue::getInstance().findProductById (1);
    ASSERT_NE (alpha, nullptr);
    EXPECT_TRUE (alpha->isFullyInstalled());
    EXPECT_TRUE (alpha->getOutOfDateFormats().isEmpty());
}

TEST_F (InstallOnline, UninstallRemovesWithoutDownloading)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Alpha.vst", "1.0");
    BundleFixtures::writeBundleWithVersion (juce::File (auFolder), "Alpha.component", "1.0");
    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Keep.vst", "1.0");
    useCatalogue (productXml (1, "1.2", componentXml ("VST", "Alpha.vst") + componentXml ("AU", "Alpha.component"))
                  + productXml (2, "1.0", componentXml ("VST", "Keep.vst")));

    auto result = runTasks (makeTasks ({ { 1, { "VST", "AU" } } }), false);

    EXPECT_TRUE (server.getRequests().empty());
    EXPECT_EQ (result.commands, (Commands{ command ({ "/bin/rm", "-R", "-f", "/Library/Audio/Plug-Ins/VST/Alpha.vst" }),
                                           command ({ "/bin/rm", "-R", "-f", "/Library/Audio/Plug-Ins/Components/Alpha.component" }) }));
    EXPECT_EQ (result.statuses, juce::StringArray ({ "Preparing Uninstallation", "Uninstalling:\nAlpha VST",
                                                     "Uninstalling:\nAlpha AU", "Completing Uninstallation..." }));
    EXPECT_FALSE (juce::File (vstFolder + "Alpha.vst").exists());
    EXPECT_FALSE (juce::File (auFolder + "Alpha.component").exists());
    EXPECT_TRUE (juce::File (vstFolder + "Keep.vst").exists());
    EXPECT_FALSE (ProductCatalogue::getInstance().findProductById (1)->isInstalled());

    // Nothing to act on: no rights asked for, the catalogue still rebuilt.
    auto empty = runTasks ({}, false);
    EXPECT_FALSE (empty.rightsRequested);
    EXPECT_EQ (empty.statuses, juce::StringArray ("Completing Uninstallation..."));
}

TEST_F (InstallOnline, CancelDuringADownloadChangesNothingInstalled)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Alpha.vst", "1.0");
    juce::MemoryBlock code (400000);
    juce::Random (5).fillBitsRandomly (code.getData(), code.getSize());
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (archiveFor ("Alpha.vst"), "Alpha.vst", "1.2", code, 0));
    addArchive ("Beta.vst", "1.2");
    useCatalogue (productXml (1, "1.2", componentXml ("VST", "Alpha.vst")) + productXml (2, "1.2", componentXml ("VST", "Beta.vst")));

    StandInServer::Behaviour trickle;
    trickle.trickleBytes = 64;
    trickle.trickleIntervalMs = 200;
    server.setBehaviour ("/plugrepo/components/MAC/Alpha.vst.zip", trickle);

    auto result = runTasks (makeTasks ({ { 1, { "VST" } }, { 2, { "VST" } } }), true, {}, 500);

    // Alpha's archive would take minutes at this pace: the run ends because the download under
    // way is aborted.
    EXPECT_TRUE (result.cancelled);
    EXPECT_FALSE (result.rightsRequested);
    EXPECT_TRUE (result.commands.isEmpty());
    EXPECT_EQ (getPaths(), std::vector<std::string>{ "/plugrepo/components/MAC/Alpha.vst.zip" }) << "later tasks are skipped";
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Alpha.vst"), 1.0f);
    EXPECT_FALSE (juce::File (vstFolder + "Beta.vst").exists());
    EXPECT_EQ (result.statuses[result.statuses.size() - 1], "Completing Installation...");
}

TEST_F (InstallOnline, ArchivesThatDoNotArriveWholeKeepTheInstalledCopy)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    const juce::StringArray names{ "NoLength.vst", "Chunked.vst", "Dropped.vst", "Truncated.vst", "Corrupt.vst", "Missing.vst", "Wrong.vst", "Stale.vst", "Blocked.vst" };
    juce::String components;

    for (auto& name : names)
    {
        BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), name, "1.0");
        components << componentXml ("VST", name);

        if (name != "Missing.vst" && name != "Wrong.vst" && name != "Blocked.vst")
            addArchive (name, "2.0");
    }

    // An archive whose top level lacks the component.
    BundleFixtures::ScratchFolder other;
    BundleFixtures::writeBundleWithVersion (other.getFile(), "Other.vst", "2.0");
    writeArchive ("Wrong.vst", other.getFile(), {});

    // An archive whose bundle cannot be unpacked whole: a file stands where a folder must go.
    BundleFixtures::ScratchFolder blocked;
    BundleFixtures::writeBundleWithVersion (blocked.getFile(), "Blocked.vst", "2.0");
    writeArchive ("Blocked.vst", blocked.getFile(), { { "Blocked.vst/Contents/MacOS", "a file" }, { "Blocked.vst/Contents/MacOS/binary", "code" }, { "Blocked.vst/Contents/Resources/late.txt", "late" } });

    // A copy left in the temporary folder by an earlier run is never installed.
    BundleFixtures::writeBundleWithVersion (juce::File (temp()), "Stale.vst", "7.0");
    server.setReply ("/plugrepo/components/MAC/Stale.vst.zip", { 404, "gone", "text/plain" });

    StandInServer::Behaviour noLength, chunked, dropped, truncated;
    noLength.delivery = StandInServer::Delivery::withoutLength;
    chunked.delivery = StandInServer::Delivery::chunked; // slowly, in small pieces
    chunked.trickleBytes = 100;
    chunked.trickleIntervalMs = 2;
    dropped.delivery = StandInServer::Delivery::dropConnection;
    truncated.delivery = StandInServer::Delivery::truncated;
    truncated.cutAfterBytes = 300;
    server.setBehaviour ("/plugrepo/components/MAC/NoLength.vst.zip", noLength);
    server.setBehaviour ("/plugrepo/components/MAC/Chunked.vst.zip", chunked);
    server.setBehaviour ("/plugrepo/components/MAC/Dropped.vst.zip", dropped);
    server.setBehaviour ("/plugrepo/components/MAC/Truncated.vst.zip", truncated);
    repository.getChild ("components/MAC/Corrupt.vst.zip").replaceWithText ("PK this is not a zip archive at all");

    useCatalogue (productXml (1, "2.0", components));
    auto result = runTasks (makeTasks ({ { 1, { "VST" } } }), true);

    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "NoLength.vst"), 2.0f) << "a reply without length arrives whole";
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Chunked.vst"), 2.0f) << "a chunked reply in small pieces arrives whole";

    for (auto& name : names)
        if (name != "NoLength.vst" && name != "Chunked.vst")
            EXPECT_FLOAT_EQ (installedVersion (vstFolder, name), 1.0f) << name;

    EXPECT_EQ (result.commands, concatenate ({ installCommands (vstFolder, "NoLength.vst", true),
                                               installCommands (vstFolder, "Chunked.vst", true) }));
    EXPECT_FALSE (juce::File (temp() + "/Blocked.vst").exists()) << "an unfinished copy is not kept";
}

TEST_F (InstallOnline, UnsafeNamesAndEntriesTouchNothingOutside)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    // Files a hostile catalogue would aim at.
    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Victim.vst", "1.0");
    juce::File ("/Library/Audio/Plug-Ins/Keep.txt").replaceWithText ("keep");
    juce::File ("/Library/Outside.txt").replaceWithText ("keep");

    // "~" and "~name" are the home folders of the framework's path parsing.
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    ASSERT_TRUE (home.getChildFile ("keep.txt").replaceWithText ("keep"));
    ASSERT_TRUE (juce::File ("/root/quorvelan-keep.txt").replaceWithText ("keep"));

    juce::String components;
    for (auto* name : { "", ".", "..", "../Outside.txt", "Victim.vst/..", "a\\b", "../../Outside.txt", "~", "~root", "~/keep.txt", "Tab\tName" })
        components << componentXml ("VST", name) << componentXml ("VST", name, true);

    // A well-named archive with an entry that climbs out of the temporary folder.
    BundleFixtures::ScratchFolder source;
    BundleFixtures::writeBundleWithVersion (source.getFile(), "Climber.vst", "2.0");
    writeArchive ("Climber.vst", source.getFile(), { { "../../Escaped.txt", "escaped" }, { "/tmp/Absolute.txt", "absolute" } });
    components << componentXml ("VST", "Climber.vst");

    // A format without a folder acts on nothing.
    addArchive ("Sixty.vst", "2.0");
    components << componentXml ("VST64", "Sixty.vst") << componentXml ("AAX", "Sixty.vst");
    juce::File ("/Library/Sixty.vst").createDirectory();

    useCatalogue (productXml (1, "2.0", components));
    auto result = runTasks (makeTasks ({ { 1, { "VST", "VST64", "AAX" } } }), true);
    auto uninstall = runTasks (makeTasks ({ { 1, { "VST", "VST64", "AAX" } } }), false);

    EXPECT_TRUE (juce::File (vstFolder + "Victim.vst/Contents/Info.plist").existsAsFile());
    EXPECT_EQ (home.getChildFile ("keep.txt").loadFileAsString(), "keep");
    EXPECT_EQ (juce::File ("/root/quorvelan-keep.txt").loadFileAsString(), "keep");
    EXPECT_EQ (juce::File ("/Library/Audio/Plug-Ins/Keep.txt").loadFileAsString(), "keep");
    EXPECT_EQ (juce::File ("/Library/Outside.txt").loadFileAsString(), "keep");
    EXPECT_TRUE (juce::File ("/Library/Sixty.vst").isDirectory());
    EXPECT_FALSE (juce::File (juce::File (temp()).getParentDirectory().getParentDirectory().getChildFile ("Escaped.txt")).exists());
    EXPECT_FALSE (juce::File ("/tmp/Absolute.txt").exists());

    EXPECT_EQ (result.commands, installCommands (vstFolder, "Climber.vst", false));
    EXPECT_EQ (uninstall.commands, (Commands{ command ({ "/bin/rm", "-R", "-f", "/Library/Audio/Plug-Ins/VST/Climber.vst" }) }));

    // Only the two well-named components were fetched, once each.
    EXPECT_EQ (getPaths(), (std::vector<std::string>{ "/plugrepo/components/MAC/Climber.vst.zip", "/plugrepo/components/MAC/Sixty.vst.zip",
                                                      "/plugrepo/components/MAC/Sixty.vst.zip" }));
}

TEST_F (InstallOnline, ElevationForAProcessThatIsNotRoot)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    BundleFixtures::ScratchFolder programs;
    auto log = programs.getChild ("elevations.log");
    auto granting = programs.getChild ("grant");
    auto refusing = programs.getChild ("refuse");
    ASSERT_TRUE (BundleFixtures::writeScript (granting, "#!/bin/sh\necho \"$@\" >> '" + log.getFullPathName() + "'\nexec \"$@\"\n"));
    ASSERT_TRUE (BundleFixtures::writeScript (refusing, "#!/bin/sh\necho refused >> '" + log.getFullPathName() + "'\nexit 126\n"));

    PlatformAuthorization::Options options;
    options.helperProgram = QUORVELAN_HELPER_PATH;
    options.runDirectlyWhenRoot = false;

    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Alpha.vst", "1.0");
    BundleFixtures::writeBundleWithVersion (juce::File (auFolder), "Alpha.component", "1.0");
    addArchive ("Alpha.vst", "1.2");
    addArchive ("Alpha.component", "1.2");
    useCatalogue (productXml (1, "1.2", componentXml ("VST", "Alpha.vst") + componentXml ("AU", "Alpha.component")));

    // A refused prompt: no command runs.
    options.elevationProgram = refusing.getFullPathName();
    auto refused = runTasks (makeTasks ({ { 1, { "VST", "AU" } } }), true, options);
    EXPECT_TRUE (refused.rightsRequested);
    EXPECT_TRUE (refused.commands.isEmpty());
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Alpha.vst"), 1.0f);

    // Granted: one prompt for the whole run, the helper runs every command.
    options.elevationProgram = granting.getFullPathName();
    auto granted = runTasks (makeTasks ({ { 1, { "VST", "AU" } } }), true, options);
    EXPECT_EQ (granted.commands, concatenate ({ installCommands (vstFolder, "Alpha.vst", true), installCommands (auFolder, "Alpha.component", true) }));
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Alpha.vst"), 1.2f);
    EXPECT_FLOAT_EQ (installedVersion (auFolder, "Alpha.component"), 1.2f);
    // The prompt names the folders the rights are for: one per format of the task.
    EXPECT_EQ (juce::StringArray::fromLines (log.loadFileAsString().trimEnd()),
               juce::StringArray ("refused", QUORVELAN_HELPER_PATH " " + vstFolder + " " + auFolder));

    // Missing means of elevation: nothing is run.
    options.elevationProgram = programs.getChild ("missing").getFullPathName();
    auto missing = runTasks (makeTasks ({ { 1, { "VST" } } }), false, options);
    EXPECT_FALSE (missing.rightsRequested);
    EXPECT_TRUE (juce::File (vstFolder + "Alpha.vst").exists());
}

TEST_F (InstallOnline, LinkedFoldersLinkedBundlesAndAnotherConfigFolderOnBothRoads)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    // The customer's environment names another configuration folder, which the program does not
    // use: its temporary folder, and the one moves are taken from, stay the program's own.
    BundleFixtures::ScratchFolder programs, elsewhere;
    TestEnvironment::ScopedEnvironmentVariable config ("XDG_CONFIG_HOME", elsewhere.getFile().getFullPathName().toRawUTF8());
    auto granting = programs.getChild ("grant");
    ASSERT_TRUE (BundleFixtures::writeScript (granting, "#!/bin/sh\nexec \"$@\"\n"));

    // The plug-in folder is reached through a link; one bundle in it is a link to another folder.
    const auto real = programs.getChild ("Real Plug-Ins");
    const auto linkedTarget = programs.getChild ("Kept/Linked.vst");
    ASSERT_TRUE (real.createDirectory().wasOk());
    ASSERT_TRUE (juce::File::createSymbolicLink (programs.getChild ("Plug-Ins"), real.getFullPathName(), false));
    FormatLocations locations;
    locations.vst = programs.getPath ("Plug-Ins");

    addArchive ("Alpha.vst", "2.0");
    useCatalogue (productXml (1, "2.0", componentXml ("VST", "Alpha.vst")) + productXml (2, "2.0", componentXml ("VST", "Linked.vst")));

    for (const bool direct : { false, true })
    {
        SCOPED_TRACE (direct ? "direct" : "helper");
        PlatformAuthorization::Options options;
        options.elevationProgram = granting.getFullPathName();
        options.helperProgram = QUORVELAN_HELPER_PATH;
        options.runDirectlyWhenRoot = direct;

        BundleFixtures::writeBundleWithVersion (real, "Alpha.vst", "1.0");
        BundleFixtures::writeBundleWithVersion (linkedTarget.getParentDirectory(), "Linked.vst", "1.0");
        ASSERT_TRUE (juce::File::createSymbolicLink (real.getChildFile ("Linked.vst"), linkedTarget.getFullPathName(), true));

        juce::OwnedArray<InstallTask> install, uninstall;
        install.add (new InstallTask (1, { "VST" }, locations));
        uninstall.add (new InstallTask (2, { "VST" }, locations));

        runTasks (install, true, options);
        EXPECT_FLOAT_EQ (installedVersion (real.getFullPathName() + "/", "Alpha.vst"), 2.0f);
        EXPECT_TRUE (PlatformFiles::isSymbolicLink (programs.getChild ("Plug-Ins").getFullPathName()));

        // The linked bundle is uninstalled by removing the link; what it points at stays.
        runTasks (uninstall, false, options);
        EXPECT_FALSE (PlatformFiles::existsWithoutFollowing (real.getChildFile ("Linked.vst").getFullPathName()));
        EXPECT_FLOAT_EQ (installedVersion (linkedTarget.getParentDirectory().getFullPathName() + "/", "Linked.vst"), 1.0f);
    }
}

//==============================================================================
namespace
{
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

TEST_F (InstallOnline, ArchiveOfTwoHundredMegabytesInstallsWhole)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    // Incompressible and stored, so the archive is as large as the plug-in.
    juce::MemoryBlock binary ((size_t) 200 * 1024 * 1024);
    juce::Random (15).fillBitsRandomly (binary.getData(), binary.getSize());
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (archiveFor ("Large Plug.vst"), "Large Plug.vst", "2.0", binary, 0));
    ASSERT_GT (archiveFor ("Large Plug.vst").getSize(), (juce::int64) binary.getSize());
    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Large Plug.vst", "1.0");
    useCatalogue (productXml (1, "2.0", componentXml ("VST", "Large Plug.vst")));

    auto result = runTasks (makeTasks ({ { 1, { "VST" } } }), true);

    EXPECT_EQ (result.statuses, juce::StringArray ({ "Preparing Installation", "Downloading and Installing:\nLarge Plug VST", "Completing Installation..." }));
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Large Plug.vst"), 2.0f);
    EXPECT_TRUE (fileHoldsExactly (juce::File (vstFolder + "Large Plug.vst/Contents/MacOS/binary"), binary));
    EXPECT_EQ (juce::File (temp()).getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0) << "the downloaded archive is not left behind";

    archiveFor ("Large Plug.vst").deleteFile();
    juce::File (vstFolder + "Large Plug.vst").deleteRecursively();
}

TEST_F (InstallOnline, ArchivesCutShortLeaveNoFileBehind)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    juce::MemoryBlock binary (200000);
    juce::Random (9).fillBitsRandomly (binary.getData(), binary.getSize());
    juce::String components;

    for (auto* name : { "Truncated.vst", "Dropped.vst", "Whole.vst" })
    {
        ASSERT_TRUE (BundleFixtures::writeBundleArchive (archiveFor (name), name, "2.0", binary));
        BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), name, "1.0");
        components << componentXml ("VST", name);
    }

    StandInServer::Behaviour truncated, dropped;
    truncated.delivery = StandInServer::Delivery::truncated;
    truncated.cutAfterBytes = 100000;
    dropped.delivery = StandInServer::Delivery::dropConnection;
    server.setBehaviour ("/plugrepo/components/MAC/Truncated.vst.zip", truncated);
    server.setBehaviour ("/plugrepo/components/MAC/Dropped.vst.zip", dropped);
    useCatalogue (productXml (1, "2.0", components));

    runTasks (makeTasks ({ { 1, { "VST" } } }), true);

    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Truncated.vst"), 1.0f);
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Dropped.vst"), 1.0f);
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Whole.vst"), 2.0f);
    EXPECT_EQ (juce::File (temp()).getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0) << "no partial archive is left";
}

TEST_F (InstallOnline, ALinkToAnotherFolderNeverLeadsACommandThere)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    BundleFixtures::writeBundleWithVersion (juce::File ("/Applications"), "Victim.app", "1.0");

    // An archive whose bundle is a link to /Applications.
    BundleFixtures::ScratchFolder source;
    ASSERT_TRUE (juce::File::createSymbolicLink (source.getChild ("Evil.vst"), "/Applications", false));
    ASSERT_TRUE (BundleFixtures::zipWithInfoZip (source.getFile(), "Evil.vst", archiveFor ("Evil.vst")));
    addArchive ("Victim.app", "2.0");

    const auto products = productXml (1, "2.0", componentXml ("VST", "Evil.vst")) + productXml (2, "2.0", componentXml ("VST", "Victim.app"));
    useCatalogue (products);

    auto install = runTasks (makeTasks ({ { 1, { "VST" } } }), true);
    EXPECT_TRUE (install.commands.isEmpty());
    EXPECT_FALSE (PlatformFiles::existsWithoutFollowing (vstFolder + "Evil.vst"));

    // A careless local user makes the same link by hand: the scan does not look through it, and
    // "uninstall all" and "update all" reach nothing behind it.
    ASSERT_TRUE (juce::File (vstFolder).createDirectory());
    ASSERT_TRUE (juce::File::createSymbolicLink (juce::File (vstFolder + "Evil.vst"), "/Applications", false));
    useCatalogue (products);
    auto& catalogue = ProductCatalogue::getInstance();
    ASSERT_NE (catalogue.findProductById (2), nullptr);
    EXPECT_FALSE (catalogue.findProductById (2)->isInstalled());
    EXPECT_FALSE (catalogue.findProductById (1)->isInstalled());

    juce::OwnedArray<InstallTask> tasks;
    catalogue.buildUninstallAllTasks (tasks);
    auto uninstall = runTasks (tasks, false);
    catalogue.buildUpdateAllTasks (tasks);
    auto update = runTasks (tasks, true);

    for (auto* run : { &uninstall, &update })
        for (auto& c : run->commands)
            EXPECT_FALSE (c.joinIntoString (" ").contains ("Evil.vst") || c.joinIntoString (" ").contains ("Victim.app")) << c.joinIntoString (" ");

    EXPECT_FLOAT_EQ (installedVersion ("/Applications/", "Victim.app"), 1.0f);
    EXPECT_TRUE (PlatformFiles::isSymbolicLink (vstFolder + "Evil.vst"));
}

TEST_F (InstallOnline, AnUpdateThatDoesNotFitKeepsTheInstalledCopy)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    // A destination volume with room for the installed copies but not for the new one.
    ASSERT_TRUE (juce::File (vstFolder).createDirectory());
    ASSERT_EQ (BundleFixtures::runShell ("mount -t tmpfs -o size=256k tmpfs '" + vstFolder + "'"), 0);

    for (auto* name : { "Big.vst", "Small.vst" })
    {
        BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), name, "1.0");
        ASSERT_TRUE (juce::File (vstFolder + name + "/Contents/MacOS").createDirectory());
        ASSERT_TRUE (juce::File (vstFolder + name + "/Contents/MacOS/binary").replaceWithText ("working 1.0"));
    }

    juce::MemoryBlock code (1024 * 1024);
    juce::Random (9).fillBitsRandomly (code.getData(), code.getSize());
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (archiveFor ("Big.vst"), "Big.vst", "2.0", code, 0));
    addArchive ("Small.vst", "2.0");
    useCatalogue (productXml (1, "2.0", componentXml ("VST", "Big.vst") + componentXml ("VST", "Small.vst")));

    auto result = runTasks (makeTasks ({ { 1, { "VST" } } }), true);

    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Big.vst"), 1.0f);
    EXPECT_EQ (juce::File (vstFolder + "Big.vst/Contents/MacOS/binary").loadFileAsString(), "working 1.0");
    EXPECT_FALSE (juce::File (vstFolder + ".quorvelan-new-Big.vst").exists()) << "the cut-off copy is removed";
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Small.vst"), 2.0f) << "the next component still installs";
    EXPECT_TRUE (result.statuses.contains ("Installation Failed:\nBig VST")) << result.statuses.joinIntoString ("|");

    const auto staged = vstFolder + ".quorvelan-new-Big.vst";
    ASSERT_GE (result.commands.size(), 2);
    EXPECT_EQ (result.commands[0], command ({ "/bin/mkdir", "-p", vstFolder.toRawUTF8() }));
    EXPECT_EQ (result.commands[1], command ({ "/bin/mv", "-f", (temp() + "/Big.vst").toRawUTF8(), staged.toRawUTF8() }));

    for (auto& c : result.commands)
        EXPECT_NE (c, command ({ "/bin/rm", "-R", "-f", (vstFolder + "Big.vst").toRawUTF8() })) << "the installed copy is never removed";

    auto* product = ProductCatalogue::getInstance().findProductById (1);
    ASSERT_NE (product, nullptr);
    EXPECT_TRUE (product->getOutOfDateFormats().contains ("VST"));
}

TEST_F (InstallOnline, ADamagedArchiveKeepsTheInstalledCopy)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), "Damaged.vst", "1.0");
    ASSERT_TRUE (juce::File (vstFolder + "Damaged.vst/Contents/MacOS").createDirectory());
    ASSERT_TRUE (juce::File (vstFolder + "Damaged.vst/Contents/MacOS/BadCrc").replaceWithText ("working 1.0"));

    // An Info-ZIP archive whose listing is intact but whose data for one file is damaged.
    BundleFixtures::ScratchFolder source;
    BundleFixtures::writeBundleWithVersion (source.getFile(), "Damaged.vst", "2.0");
    juce::MemoryBlock code (200000);
    juce::Random random (4);

    for (size_t i = 0; i < code.getSize(); ++i)
        code[i] = (char) ('a' + random.nextInt (3));

    ASSERT_TRUE (source.getChild ("Damaged.vst/Contents/MacOS").createDirectory());
    ASSERT_TRUE (source.getChild ("Damaged.vst/Contents/MacOS/BadCrc").replaceWithData (code.getData(), code.getSize()));
    ASSERT_TRUE (BundleFixtures::zipWithInfoZip (source.getFile(), "Damaged.vst", archiveFor ("Damaged.vst")));
    ASSERT_TRUE (BundleFixtures::damageEntryData (archiveFor ("Damaged.vst"), "Damaged.vst/Contents/MacOS/BadCrc", 1500));
    ASSERT_EQ (BundleFixtures::runShell ("unzip -tq '" + archiveFor ("Damaged.vst").getFullPathName() + "' >/dev/null 2>&1"), 2);

    useCatalogue (productXml (1, "2.0", componentXml ("VST", "Damaged.vst")));
    auto result = runTasks (makeTasks ({ { 1, { "VST" } } }), true);

    EXPECT_TRUE (result.commands.isEmpty());
    EXPECT_FLOAT_EQ (installedVersion (vstFolder, "Damaged.vst"), 1.0f);
    EXPECT_EQ (juce::File (vstFolder + "Damaged.vst/Contents/MacOS/BadCrc").loadFileAsString(), "working 1.0");
    EXPECT_FALSE (juce::File (temp() + "/Damaged.vst").exists());
    EXPECT_TRUE (ProductCatalogue::getInstance().findProductById (1)->getOutOfDateFormats().contains ("VST"));
}

TEST_F (InstallOnline, CancelDuringSlowPrivilegedStepsKeepsTheWindowAlive)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    // A stand-in helper that takes its time over each command and marks the first one it gets.
    BundleFixtures::ScratchFolder programs;
    auto marker = programs.getChild ("first-command");
    auto granting = programs.getChild ("grant");
    auto slowHelper = programs.getChild ("slow-helper");
    ASSERT_TRUE (BundleFixtures::writeScript (granting, "#!/bin/sh\nexec \"$@\"\n"));
    ASSERT_TRUE (BundleFixtures::writeScript (slowHelper, "#!/bin/bash\necho ready\nwhile true; do\n"
                                                          "    got=0\n    while IFS= read -r -d '' word; do got=1; [ -z \"$word\" ] && break; done\n"
                                                          "    [ $got = 1 ] || exit 0\n"
                                                          "    touch '"
                                                              + marker.getFullPathName() + "'\n    sleep 0.3\n    echo 0\ndone\n"));

    PlatformAuthorization::Options options;
    options.elevationProgram = granting.getFullPathName();
    options.helperProgram = slowHelper.getFullPathName();
    options.runDirectlyWhenRoot = false;

    for (auto* name : { "Alpha.vst", "Beta.vst" })
    {
        BundleFixtures::writeBundleWithVersion (juce::File (vstFolder), name, "1.0");
        addArchive (name, "2.0");
    }

    useCatalogue (productXml (1, "2.0", componentXml ("VST", "Alpha.vst") + componentXml ("VST", "Beta.vst")));

    DownloadThread download (makeTasks ({ { 1, { "VST" } } }), true, options);

    // Presses "Cancel" once the privileged steps are under way, then watches the window from the
    // message loop until the run ends.
    struct Watcher final : private juce::Timer
    {
        Watcher (DownloadThread& d, const juce::File& m)
            : download (d)
            , firstCommand (m)
        {
            startTimer (10);
        }
        ~Watcher() override
        {
            stopTimer();
        }

        void timerCallback() override
        {
            auto* window = download.getAlertWindow();

            if (! pressed)
            {
                pressed = firstCommand.exists() && ModalDriver::pressButton (*window, "Cancel");
                return;
            }

            if (download.isThreadRunning())
            {
                ++ticksWhileFinishing;
                showingWhileFinishing = showingWhileFinishing || window->isShowing();
                messages.addIfNotAlreadyThere (ModalDriver::getMessage (*window));
            }
        }

        DownloadThread& download;
        juce::File firstCommand;
        bool pressed = false, showingWhileFinishing = false;
        int ticksWhileFinishing = 0;
        juce::StringArray messages;
    } watcher (download, marker);

    download.runThread (juce::Thread::Priority::normal);

    EXPECT_TRUE (watcher.pressed);
    EXPECT_TRUE (download.wasCancelPressed());
    EXPECT_GT (watcher.ticksWhileFinishing, 0) << "the message loop kept running while the run finished";
    EXPECT_TRUE (watcher.showingWhileFinishing) << "the window stayed up";
    EXPECT_EQ (watcher.messages[watcher.messages.size() - 1], "Completing Installation...") << watcher.messages.joinIntoString ("|");

    // The stand-in helper runs nothing, so each component ends after its removal was seen to fail;
    // the last component was still acted on.
    const auto log = download.getCommandLog();
    ASSERT_EQ (log.size(), 6) << "the privileged steps finished whole";
    EXPECT_EQ (log.getLast(), command ({ "/bin/rm", "-R", "-f", (vstFolder + "Beta.vst").toRawUTF8() }));
    EXPECT_FALSE (download.getAlertWindow()->isShowing());
}
