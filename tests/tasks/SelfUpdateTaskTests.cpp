#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "localisation/Languages.h"
#include "platform/ProcessRunner.h"
#include "services/ProgramValues.h"
#include "support/ModalDriver.h"
#include "support/RawHttpServer.h"
#include "support/TestEnvironment.h"
#include "support/UpdateServerFixture.h"
#include "tasks/TaskWindow.h"
#include "tasks/updateapp/TaskWindow.h"

namespace
{
// Watches the task window while it is up: its title and buttons; presses "Cancel"
// once the bar has moved when asked to.
struct TaskWatcher : private juce::Timer
{
    explicit TaskWatcher (bool cancelOnceMoving)
        : cancel (cancelOnceMoving)
    {
        startTimer (5);
    }

    ~TaskWatcher() override { stopTimer(); }

    void timerCallback() override
    {
        auto* modal = juce::Component::getCurrentlyModalComponent();
        auto* bar = modal != nullptr ? ModalDriver::findProgressBar (*modal) : nullptr;

        if (bar == nullptr)
            return;

        title = ModalDriver::getTitle (*modal);
        buttons = ModalDriver::getButtonTexts (*modal);

        if (cancel && ModalDriver::getProgressValue (*bar) > 0.0)
        {
            cancel = false;
            ModalDriver::pressButton (*modal, "Cancel");
        }
    }

    bool cancel;
    juce::String title;
    juce::StringArray buttons;
};

// True when a window so titled, other than the one given, shows on the desktop.
bool otherWindowShows (const juce::Component& except, const juce::String& title)
{
    auto& desktop = juce::Desktop::getInstance();

    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* window = desktop.getComponent (i); window != &except && window->isShowing() && window->getName() == title)
            return true;

    return false;
}

struct UpdateRun
{
    updateapp::TaskWindow::Outcome outcome;
    bool finished = false;
    bool taskWindowUnderBox = false;
    int launches = 0;
    juce::StringArray boxTitles, boxMessages;
    juce::String windowTitle, url;
    juce::StringArray windowButtons;
    juce::String status;
};

class SelfUpdateOnline : public UpdateServerFixture
{
protected:
    UpdateRun runUpdate (float version = 3.5f, bool cancel = false)
    {
        UpdateRun run;
        ModalDriver driver;
        TaskWatcher watcher (cancel);

        // The outcome box: noted, with whether the task window still shows beneath it, then OK.
        driver.whenModalAppears ([&] (juce::Component& box)
                                 {
            driver.seenTitles.add (ModalDriver::getTitle (box));
            driver.seenMessages.add (ModalDriver::getMessage (box));
            run.taskWindowUnderBox = otherWindowShows (box, TRANS ("TXT_DOWNLOADING_UPDATE"));
            ModalDriver::pressButton (box, TRANS ("OK")); },
                                 [] (juce::Component& modal)
                                 { return ModalDriver::findButton (modal, TRANS ("OK")) != nullptr; });

        updateapp::TaskWindow task (repositoryBaseUrl + macPath, version);
        task.setLauncher ([&run]
                          { ++run.launches; });
        run.finished = task.runThread (TaskWindow::priority);
        TestEnvironment::runFor (50);

        run.outcome = task.getOutcome();
        run.url = task.downloadUrl;
        run.boxTitles = driver.seenTitles;
        run.boxMessages = driver.seenMessages;
        run.windowTitle = watcher.title;
        run.windowButtons = watcher.buttons;
        run.status = task.getStatusText();
        return run;
    }

    // The archive in a few pieces, so the task window stays up long enough to be looked at.
    void serveSlowly()
    {
        StandInServer::Behaviour pieces;
        pieces.trickleBytes = 1000;
        pieces.trickleIntervalMs = 50;
        server.setBehaviour (archivePath, pieces);
    }
};

class SelfUpdatePrivateOnline : public InPrivateRootOnly<SelfUpdateOnline>
{
};
} // namespace

TEST_F (SelfUpdateOnline, WholeArchiveIsKeptThenHandedOver)
{
    serveBundle();
    serveSlowly();

    // An unpacked bundle of an earlier attempt never passes for this one.
    const auto stale = updateapp::TaskWindow::getUnpackedBundle();
    ASSERT_TRUE (stale.getChildFile ("Contents/old").create());

    auto run = runUpdate (3.5f);

    EXPECT_TRUE (run.finished);
    EXPECT_EQ (run.outcome, updateapp::TaskWindow::Outcome::downloaded);
    EXPECT_EQ (run.launches, 1);
    EXPECT_EQ (run.boxTitles, juce::StringArray ("Download Complete"));
    EXPECT_FALSE (run.taskWindowUnderBox);
    EXPECT_EQ (run.boxMessages, juce::StringArray (TRANS ("MSG_DOWNLOAD_COMPLETE_WILL_QUIT_PASSWORD")));
    EXPECT_TRUE (run.boxMessages[0].startsWith ("The download is complete."));
    EXPECT_EQ (run.windowTitle, "Downloading Update...");
    EXPECT_TRUE (run.windowButtons.contains ("Cancel"));
    EXPECT_EQ (run.status, "Quorvelan Plug-in Manager v3.50");

    EXPECT_EQ (getRequestPaths(), std::vector<std::string>{ "/plugrepo/updates/MAC/Quorvelan%20Plugin%20Manager.app.zip" });
    EXPECT_TRUE (run.url.endsWith ("/plugrepo/updates/MAC/Quorvelan%20Plugin%20Manager.app.zip"));
    EXPECT_FALSE (stale.exists());

    juce::MemoryBlock served, kept;
    ASSERT_TRUE (servedArchive().loadFileAsData (served));
    ASSERT_TRUE (updateapp::TaskWindow::getArchiveFile().loadFileAsData (kept));
    EXPECT_EQ (kept, served);

    EXPECT_EQ (updateapp::TaskWindow::makeStatusText (3.221f), "Quorvelan Plug-in Manager v3.22");
}

TEST_F (SelfUpdateOnline, ArchiveThatDoesNotArriveWholeIsAFailure)
{
    using Delivery = StandInServer::Delivery;

    struct Case
    {
        const char* name;
        std::function<void()> prepare;
    };

    const std::vector<Case> cases{
        { "no length", [this]
          { serveBundle(); server.setBehaviour (archivePath, { Delivery::withoutLength }); } },
        { "truncated", [this]
          { serveBundle(); server.setBehaviour (archivePath, { Delivery::truncated, 1500 }); } },
        { "dropped", [this]
          { serveBundle(); server.setBehaviour (archivePath, { Delivery::dropConnection }); } },
        { "missing", [] {} },
        { "error page with a length", [this]
          { server.setReply (archivePath, { 404, "<html><body>Not found</body></html>", "text/html" }); } },
        { "not a zip", [this]
          { server.setReply (archivePath, { 200, std::string (5000, 'x'), "application/zip" }); } },
        { "zip without the bundle", [this]
          {
              servedArchive().getParentDirectory().createDirectory();
              BundleFixtures::writeBundleArchive (servedArchive(), "Other.app", "3.5", juce::MemoryBlock (100, true));
          } },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        server.clearScripts();
        servedArchive().deleteFile();
        c.prepare();

        auto run = runUpdate();

        EXPECT_EQ (run.outcome, updateapp::TaskWindow::Outcome::failed);
        EXPECT_EQ (run.launches, 0);
        EXPECT_EQ (run.boxTitles, juce::StringArray ("Download failed"));
        EXPECT_FALSE (run.taskWindowUnderBox);
        EXPECT_EQ (run.boxMessages, juce::StringArray ("There was a problem downloading the update. Please try again or contact Quorvelan if the problem persists."));
    }
}

TEST_F (SelfUpdateOnline, BrokenOrRedirectedTransfersAreFailures)
{
    // Many times the download's blocks and curl's buffer.
    serveBundle (600000);
    juce::MemoryBlock data;
    ASSERT_TRUE (servedArchive().loadFileAsData (data));
    const std::string archive (static_cast<const char*> (data.getData()), data.getSize());
    const auto length = std::to_string (archive.size());

    RawHttpServer raw;
    ConnectionRecorder otherScheme;
    useServerOriginForTests (raw.getOrigin());

    // The download makes its archive file once it has connected: a reply ends only then, so the
    // download is handed its first bytes before any cut.
    const auto archiveFile = updateapp::TaskWindow::getArchiveFile();
    auto downloadConnected = [archiveFile]
    { return archiveFile.existsAsFile(); };

    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string redirect = "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1:" + std::to_string (otherScheme.getPort()) + "/a\r\nContent-Length: 0\r\n\r\n";

    // A length 4 GiB beyond the archive's: its low 32 bits are the archive's length.
    const auto beyond4GiB = std::to_string ((1LL << 32) + (long long) archive.size());

    const std::tuple<const char*, std::string, updateapp::TaskWindow::Outcome> cases[] = {
        { "whole", ok + "Content-Length: " + length + "\r\n\r\n" + archive, updateapp::TaskWindow::Outcome::downloaded },
        { "length, cut short", ok + "Content-Length: " + std::to_string (archive.size() + 10) + "\r\n\r\n" + archive, updateapp::TaskWindow::Outcome::failed },
        { "length 4 GiB beyond, cut after the archive", ok + "Content-Length: " + beyond4GiB + "\r\n\r\n" + archive, updateapp::TaskWindow::Outcome::failed },
        { "chunked, cut before its last chunk", ok + "Transfer-Encoding: chunked\r\n\r\n" + makeChunkedBody (archive, 1000, false), updateapp::TaskWindow::Outcome::failed },
        { "redirect to ftp", redirect, updateapp::TaskWindow::Outcome::failed },
    };

    for (auto& [label, reply, expected] : cases)
    {
        SCOPED_TRACE (label);
        archiveFile.deleteFile();
        raw.answerWith (reply, RawHttpServer::Ending::close, downloadConnected);
        auto run = runUpdate();
        EXPECT_EQ (run.outcome, expected);
        EXPECT_EQ (run.launches, expected == updateapp::TaskWindow::Outcome::downloaded ? 1 : 0);
    }

    EXPECT_EQ (otherScheme.stopAndCountConnections(), 0);
}

TEST_F (SelfUpdateOnline, NoServerIsAFailure)
{
    server.stop();
    auto run = runUpdate();

    EXPECT_EQ (run.outcome, updateapp::TaskWindow::Outcome::failed);
    EXPECT_EQ (run.launches, 0);
    EXPECT_EQ (run.boxTitles, juce::StringArray ("Download failed"));
}

TEST_F (SelfUpdateOnline, CancelInTheMiddleShowsNothingAndKeepsThePartialArchive)
{
    serveBundle (20000);
    StandInServer::Behaviour trickle;
    trickle.trickleBytes = 1500;
    trickle.trickleIntervalMs = 100;
    server.setBehaviour (archivePath, trickle);

    auto run = runUpdate (3.5f, true);

    EXPECT_FALSE (run.finished);
    EXPECT_EQ (run.outcome, updateapp::TaskWindow::Outcome::cancelled);
    EXPECT_EQ (run.launches, 0);
    EXPECT_TRUE (run.boxTitles.isEmpty());

    const auto partial = updateapp::TaskWindow::getArchiveFile();
    EXPECT_TRUE (partial.existsAsFile());
    EXPECT_GT (partial.getSize(), 0);
    EXPECT_LT (partial.getSize(), servedArchive().getSize());
}

TEST_F (SelfUpdateOnline, SpanishTextsWithCancelAsItStands)
{
    serveBundle();
    serveSlowly();
    setLanguage (1);
    auto run = runUpdate (3.5f);
    setLanguage (0);

    EXPECT_EQ (run.outcome, updateapp::TaskWindow::Outcome::downloaded);
    EXPECT_EQ (run.windowTitle, "Descargando actualización...");
    EXPECT_TRUE (run.windowButtons.contains ("Cancel"));
    EXPECT_EQ (run.boxTitles, juce::StringArray ("Descarga completada"));
    EXPECT_EQ (run.launches, 1);
}

TEST_F (SelfUpdatePrivateOnline, FullDiskIsAFailure)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    serveBundle (200000);
    const juce::File temp (getTempFolderPath());
    ASSERT_TRUE (temp.createDirectory());
    ASSERT_EQ (ProcessRunner::runAndWait ({ "/bin/mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", temp.getFullPathName() }), 0);

    auto run = runUpdate();
    ProcessRunner::runAndWait ({ "/bin/umount", temp.getFullPathName() });

    EXPECT_EQ (run.outcome, updateapp::TaskWindow::Outcome::failed);
    EXPECT_EQ (run.launches, 0);
    EXPECT_EQ (run.boxTitles, juce::StringArray ("Download failed"));
}
