#include <gtest/gtest.h>

#include "app/KestruneMainWindow.h"
#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "catalogue/ServerRequest.h"
#include "localisation/Languages.h"
#include "services/ProgramValues.h"
#include "services/SettingsFiles.h"
#include "support/ModalDriver.h"
#include "support/TestEnvironment.h"
#include "support/UpdateServerFixture.h"
#include "tasks/TaskWindow.h"
#include "tasks/updateapp/TaskWindow.h"
#include "ui/screens/AutoUpdateComponent.h"
#include "ui/screens/FrontPageComponent.h"
#include "ui/screens/OfflineComponent.h"
#include "ui/screens/QuorvelanMainComponent.h"
#include "ui/screens/ScreenCode.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace
{

struct CodeRecorder : public juce::ChangeListener
{
    void changeListenerCallback (juce::ChangeBroadcaster* source) override
    {
        codes.push_back (dynamic_cast<ScreenCodeBroadcaster*> (source)->takeScreenCode());
    }

    std::vector<juce::uint32> codes;
};

// What one update check did.
struct CheckRun
{
    std::vector<juce::uint32> codes;
    int quits = 0, launches = 0;
    juce::StringArray titles, messages, buttons;
};

class UpdateCheckOnline : public UpdateServerFixture
{
protected:
    void serveVersion (const std::string& version, const std::string& minvers)
    {
        server.setVersionXml (StandInServer::makeVersionXml (version, minvers, macPath));
    }

    // Runs one check; the button with this text is pressed on the prompt, if one comes up, and
    // "OK" on any box after it.
    CheckRun check (const juce::String& promptButton = {})
    {
        CheckRun run;
        ModalDriver driver;

        if (promptButton.isNotEmpty())
            driver.whenModalAppears ([&] (juce::Component& modal)
                                     {
                run.titles.add (ModalDriver::getTitle (modal));
                run.messages.add (ModalDriver::getMessage (modal));
                run.buttons = ModalDriver::getButtonTexts (modal);
                ModalDriver::pressButton (modal, promptButton); },
                                     [promptButton] (juce::Component& modal)
                                     { return ModalDriver::findButton (modal, promptButton) != nullptr; });

        driver.pressWhenModalAppears (TRANS ("OK"));

        AutoUpdateComponent page;
        CodeRecorder recorder;
        page.addChangeListener (&recorder);
        page.quitProgram = [&run]
        { ++run.quits; };
        page.launchHandOver = [&run]
        { ++run.launches; };

        page.checkForUpdate();
        EXPECT_TRUE (TestEnvironment::runUntil ([&]
                                                { return ! recorder.codes.empty(); }));
        TestEnvironment::runFor (50);
        page.removeChangeListener (&recorder);

        run.codes = recorder.codes;
        run.titles.addArray (driver.seenTitles);
        return run;
    }

    int countRequests (const std::string& rawQuery) const
    {
        int count = 0;

        for (auto& request : server.getRequests())
            if (request.rawQuery == rawQuery)
                ++count;

        return count;
    }

    bool archiveRequested() const
    {
        for (auto& request : server.getRequests())
            if (request.path.find ("/plugrepo/") == 0)
                return true;

        return false;
    }
};

class UpdateCheckPrivateOnline : public InPrivateRootOnly<UpdateCheckOnline>
{
};

const std::vector<juce::uint32> welcomeCode{ ScreenCode::welcome };
const std::vector<juce::uint32> offlineCode{ ScreenCode::offline };
} // namespace

TEST_F (UpdateCheckOnline, NothingNewerGoesToTheWelcomePageWithoutAPrompt)
{
    const std::vector<std::pair<const char*, std::string>> replies{
        { "no authapp", "<quordata response=\"OK\"/>" },
        { "same version", StandInServer::makeVersionXml ("3.22", "3.0", macPath) },
        { "same in single precision", StandInServer::makeVersionXml ("3.2200001", "3.0", macPath) },
        { "no version", "<quordata response=\"OK\"><authapp minvers=\"3.0\"/></quordata>" },
        { "not a number", StandInServer::makeVersionXml ("abc", "3.0", macPath) },
        { "nan", StandInServer::makeVersionXml ("nan", "3.0", macPath) },
        { "beyond float", StandInServer::makeVersionXml ("1e39", "3.0", macPath) },
        { "only the minimum above", StandInServer::makeVersionXml ("3.22", "3.5", macPath) },
    };

    for (auto& [name, xml] : replies)
    {
        SCOPED_TRACE (name);
        server.clearRequests();
        server.setVersionXml (xml);

        auto run = check ("Install");

        EXPECT_EQ (run.codes, welcomeCode);
        EXPECT_TRUE (run.titles.isEmpty());
        EXPECT_EQ (run.quits, 0);
        EXPECT_EQ (countRequests ("ACTION=GET_VERSION"), 1);
        EXPECT_EQ (server.getRequests().size(), 1u);
        EXPECT_EQ (server.getRequests()[0].path, "/plugin_manager.htm");
    }
}

TEST_F (UpdateCheckOnline, NewerVersionIsOfferedAndSkipMovesOn)
{
    for (auto& [version, minvers] : std::vector<std::pair<std::string, std::string>>{ { "3.221", "3.0" }, { "3.2200002", "" }, { "3.5", "3.22" } })
    {
        SCOPED_TRACE (version + " / " + minvers);
        server.clearRequests();
        serveVersion (version, minvers);

        auto run = check ("Skip");

        EXPECT_EQ (run.codes, welcomeCode);
        EXPECT_EQ (run.titles, juce::StringArray ("Plugin-Manager Update Available"));
        EXPECT_EQ (run.messages, juce::StringArray ("There is an update available for this application, would you like to download and install it now?"));
        EXPECT_EQ (run.buttons, juce::StringArray ("Install", "Skip"));
        EXPECT_EQ (run.quits, 0);
        EXPECT_FALSE (archiveRequested());
    }

    // Capitals in tag and attribute names are still read.
    server.setVersionXml ("<QUORDATA RESPONSE=\"OK\"><AUTHAPP Version=\"3.5\" MINVERS=\"3.23\" MacPath=\"u.zip\"/></QUORDATA>");
    auto run = check ("Exit");
    EXPECT_EQ (run.titles, juce::StringArray ("Plugin-Manager Update Required"));
}

TEST_F (UpdateCheckOnline, RequiredUpdateExitQuitsWithoutDownloading)
{
    serveVersion ("3.5", "3.23");

    auto run = check ("Exit");

    EXPECT_EQ (run.titles, juce::StringArray ("Plugin-Manager Update Required"));
    EXPECT_EQ (run.messages, juce::StringArray ("There is a required update available for download. It must be installed before using this application."));
    EXPECT_EQ (run.buttons, juce::StringArray ("Install", "Exit"));
    EXPECT_EQ (run.quits, 1);
    EXPECT_EQ (run.codes, welcomeCode);
    EXPECT_FALSE (archiveRequested());
    EXPECT_EQ (countRequests ("ACTION=GET_VERSION"), 1);

    // A prompt closed by no button (here: hidden) answers as Exit.
    ModalDriver driver;
    driver.whenModalAppears ([] (juce::Component& modal)
                             { modal.exitModalState (0); });
    AutoUpdateComponent page;
    int quits = 0;
    page.quitProgram = [&quits]
    { ++quits; };
    page.checkForUpdate();
    EXPECT_EQ (quits, 1);
    EXPECT_FALSE (archiveRequested());
}

TEST_F (UpdateCheckOnline, InstallDownloadsHandsOverAndQuits)
{
    serveBundle();
    serveVersion ("3.5", "3.0");

    auto run = check ("Install");

    EXPECT_EQ (run.titles, juce::StringArray ("Plugin-Manager Update Available", "Download Complete"));
    EXPECT_EQ (run.launches, 1);
    EXPECT_EQ (run.quits, 1);
    EXPECT_EQ (run.codes, welcomeCode);
    EXPECT_TRUE (updateapp::TaskWindow::getArchiveFile().existsAsFile());

    EXPECT_EQ (getRequestPaths(), (std::vector<std::string>{ "/plugin_manager.htm", "/plugrepo/updates/MAC/Quorvelan%20Plugin%20Manager.app.zip" }));

    // A failed download quits too, with no hand-over.
    server.setReply (archivePath, { 404, "<html>gone</html>", "text/html" });
    auto failed = check ("Install");
    EXPECT_EQ (failed.titles, juce::StringArray ("Plugin-Manager Update Available", "Download failed"));
    EXPECT_EQ (failed.launches, 0);
    EXPECT_EQ (failed.quits, 1);
    EXPECT_EQ (failed.codes, welcomeCode);
}

TEST_F (UpdateCheckOnline, CancelledDownloadStillQuits)
{
    serveBundle (40000);
    serveVersion ("3.5", "3.23");
    StandInServer::Behaviour trickle;
    trickle.trickleBytes = 1000;
    trickle.trickleIntervalMs = 100;
    server.setBehaviour (archivePath, trickle);

    ModalDriver canceller;
    canceller.whenModalAppears ([] (juce::Component& window)
                                { juce::Timer::callAfterDelay (300, [safe = juce::Component::SafePointer<juce::Component> (&window)]
                                                               {
                                                                   if (safe != nullptr)
                                                                       ModalDriver::pressButton (*safe, "Cancel"); }); },
                                [] (juce::Component& modal)
                                { return ModalDriver::findProgressBar (modal) != nullptr; });

    auto run = check ("Install");

    EXPECT_EQ (run.titles, juce::StringArray ("Plugin-Manager Update Required"));
    EXPECT_EQ (run.launches, 0);
    EXPECT_EQ (run.quits, 1);
    EXPECT_EQ (run.codes, welcomeCode);
}

TEST_F (UpdateCheckPrivateOnline, NoUsableReplyShowsTheOfflineCatalogue)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    const juce::File offlineFile ("/opt/Quorvelan/PluginManagerOfflineRepository/components.xml");
    ASSERT_TRUE (offlineFile.getParentDirectory().createDirectory());
    ASSERT_TRUE (offlineFile.replaceWithText ("<components>" + BundleFixtures::productXml (1, "Offline Product", "1.0", 1) + "</components>"));
    server.setComponentsXml (("<components>" + BundleFixtures::productXml (2, "Online Product", "1.0", 1) + "</components>").toStdString());

    ServerRequest::setMessageThreadTimeoutMs (500);
    StandInServer::Behaviour stalled;
    stalled.delayMs = 20000;

    const std::vector<std::pair<const char*, std::function<void()>>> cases{
        { "not xml", [this]
          { server.setReply ("GET_VERSION", { 200, "this is no xml", "text/plain" }); } },
        { "other root", [this]
          { server.setReply ("GET_VERSION", { 200, "<other response=\"OK\"><authapp version=\"9\"/></other>" }); } },
        { "ok in lower case", [this]
          { server.setReply ("GET_VERSION", { 200, "<quordata response=\"ok\"><authapp version=\"9\"/></quordata>" }); } },
        { "refused", [this]
          { server.setReply ("GET_VERSION", { 200, "<quordata response=\"ERROR\"/>" }); } },
        { "stalled", [this, stalled]
          { server.setBehaviour ("GET_VERSION", stalled); } },
    };

    auto& catalogue = ProductCatalogue::getInstance();

    for (auto& [name, prepare] : cases)
    {
        SCOPED_TRACE (name);
        server.clearScripts();

        // An online session came first: its catalogue must not pass for the offline one.
        ASSERT_TRUE (catalogue.requestComponents (nullptr));
        ASSERT_NE (catalogue.findProductById (2), nullptr);
        server.clearRequests();
        prepare();

        auto run = check ("Install");

        EXPECT_EQ (run.codes, offlineCode);
        EXPECT_TRUE (run.titles.isEmpty());
        EXPECT_EQ (countRequests ("ACTION=GET_VERSION"), 1);
        EXPECT_FALSE (catalogue.isOnline());
        EXPECT_TRUE (catalogue.isRepositoryFound());
        EXPECT_EQ (catalogue.getNumProducts(), 1);
        EXPECT_NE (catalogue.findProductById (1), nullptr);
    }

    // No server at all, and no offline repository either.
    ASSERT_TRUE (catalogue.requestComponents (nullptr));
    server.stop();
    ASSERT_TRUE (offlineFile.deleteFile());
    auto run = check ("Install");
    EXPECT_EQ (run.codes, offlineCode);
    EXPECT_FALSE (catalogue.isRepositoryFound());
    EXPECT_EQ (catalogue.getNumProducts(), 0);
}

TEST_F (UpdateCheckOnline, MainComponentStartsWithTheUpdateCheck)
{
    serveVersion ("3.5", "3.0");

    QuorvelanMainComponent main;
    auto* page = main.getUpdatePage();
    ASSERT_NE (page, nullptr);
    EXPECT_EQ (page->getName(), "AutoUpdateComponent");
    EXPECT_FALSE (page->isVisible());
    EXPECT_EQ (page->getParentComponent(), &main);
    EXPECT_EQ (page->getBounds(), juce::Rectangle<int> (0, 0, 785, 480));
    EXPECT_EQ (server.getRequests().size(), 0u) << "the check runs from the message loop";

    // While the prompt is up, the update page is the one shown; Skip then goes to the welcome page.
    ModalDriver driver;
    juce::Component* shownUnderPrompt = nullptr;
    juce::String titleUnderPrompt;
    driver.whenModalAppears ([&] (juce::Component& modal)
                             {
        shownUnderPrompt = main.getCurrentScreen();
        titleUnderPrompt = main.getTitleText();
        ModalDriver::pressButton (modal, "Skip"); });

    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return main.getCurrentScreen() == main.getFrontPage(); }));
    EXPECT_EQ (shownUnderPrompt, page);
    EXPECT_EQ (titleUnderPrompt, "Checking for application updates");
    EXPECT_EQ (main.getTitleText(), "Welcome Screen");
    EXPECT_FALSE (page->isVisible());
    EXPECT_EQ (countRequests ("ACTION=GET_VERSION"), 1);

    // Each code 10 runs a fresh check; no usable reply goes to the offline page.
    server.setReply ("GET_VERSION", { 200, "not xml", "text/plain" });
    main.handleScreenCode (ScreenCode::updateCheck);
    EXPECT_EQ (countRequests ("ACTION=GET_VERSION"), 2);
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return main.getCurrentScreen() == main.getOfflinePage(); }));
    EXPECT_EQ (main.getTitleText(), "No connection found");

    // The page lets the backdrop through.
    auto snapshot = page->createComponentSnapshot (page->getLocalBounds());
    EXPECT_EQ (snapshot.getPixelAt (400, 240).getAlpha(), 0);
}

// Runs only in a child process: Exit on the required prompt ends the message loop for good, also
// when the prompt comes up over the licence agreement of a first start.
TEST_F (UpdateCheckOnline, ExitOverTheLicenceInChild)
{
    if (! TestEnvironment::isChildProcess())
        GTEST_SKIP() << "runs inside UpdateCheckQuitOnline.ExitEndsTheProgramWithoutInit";

    serveVersion ("3.5", "3.23");
    SettingsFiles::createSettingsFolder();

    ModalDriver driver;
    driver.pressWhenModalAppears ("Exit");

    KestruneMainWindow window;

    EXPECT_EQ (driver.getNumPending(), 0);
    EXPECT_EQ (driver.seenTitles, juce::StringArray ("Plugin-Manager Update Required"));
    EXPECT_FALSE (SettingsFiles::getSettingsFile ("init").exists());
    EXPECT_FALSE (juce::MessageManager::getInstance()->runDispatchLoopUntil (50)) << "the message loop goes on";
}

TEST (UpdateCheckQuitOnline, ExitEndsTheProgramWithoutInit)
{
    auto home = TestEnvironment::useFreshHome();
    auto result = TestEnvironment::runTestInChildProcess ("UpdateCheckOnline.ExitOverTheLicenceInChild");

    EXPECT_EQ (result.exitCode, 0) << result.output;
    EXPECT_TRUE (result.output.contains ("[  PASSED  ] 1 test")) << result.output;
    EXPECT_FALSE (home.getChildFile (".config/Quorvelan/init").exists());
}

namespace
{
juce::File updateGalleryFolder()
{
    if (auto* path = std::getenv ("QUORVELAN_UPDATE_GALLERY"))
        if (*path != 0)
            return juce::File::getCurrentWorkingDirectory().getChildFile (path);

    return juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("quorvelan-update-gallery");
}

void writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk()) << file.getFullPathName();
    juce::PNGImageFormat png;
    ASSERT_TRUE (png.writeImageToStream (image, out));
}

// Once the task window's bar has moved, writes the window as the customer sees it.
struct TaskShooter : private juce::Timer
{
    explicit TaskShooter (const juce::File& target)
        : file (target)
    {
        startTimer (10);
    }

    ~TaskShooter() override { stopTimer(); }

    void timerCallback() override
    {
        auto* modal = juce::Component::getCurrentlyModalComponent();
        auto* bar = modal != nullptr ? ModalDriver::findProgressBar (*modal) : nullptr;

        if (taken || bar == nullptr || ModalDriver::getProgressValue (*bar) <= 0.0)
            return;

        // The window shows the bar and the status line on its own timer.
        if (++ticksMoving < 30)
            return;

        taken = true;
        writePng (modal->createComponentSnapshot (modal->getLocalBounds()), file);
    }

    juce::File file;
    bool taken = false;
    int ticksMoving = 0;
};
} // namespace

TEST_F (UpdateCheckOnline, GalleryOfEveryWindowInBothLanguages)
{
    const auto folder = updateGalleryFolder();
    ASSERT_TRUE (folder.createDirectory());
    serveBundle (30000);

    StandInServer::Behaviour trickle;
    trickle.trickleBytes = 2000;
    trickle.trickleIntervalMs = 100;

    // The colours the main component gives every alert.
    WidgetTestSupport::ScopedDefaultColours restoreAlertColours ({ juce::AlertWindow::backgroundColourId, juce::AlertWindow::textColourId, juce::AlertWindow::outlineColourId });
    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    lf.setColour (juce::AlertWindow::backgroundColourId, juce::Colours::black);
    lf.setColour (juce::AlertWindow::textColourId, juce::Colour (0xffc6fdfe));
    lf.setColour (juce::AlertWindow::outlineColourId, juce::Colour (0xffc6fdfe));

    for (auto language : { 0, 1 })
    {
        setLanguage (language);
        const juce::String suffix = language == 0 ? "en" : "es";
        int shots = 0;

        // Snapshots the next modal window with this button, then presses it.
        auto shootThenPress = [&] (ModalDriver& driver, const juce::String& name, const juce::String& button)
        {
            driver.whenModalAppears ([&, name, button] (juce::Component& modal)
                                     {
                writePng (modal.createComponentSnapshot (modal.getLocalBounds()), folder.getChildFile (name + "-" + suffix + ".png"));
                ++shots;
                ModalDriver::pressButton (modal, button); },
                                     [button] (juce::Component& modal)
                                     { return ModalDriver::findButton (modal, button) != nullptr; });
        };

        for (auto required : { false, true })
        {
            ModalDriver driver;
            shootThenPress (driver, required ? "required-prompt" : "optional-prompt", TRANS (required ? "BUT_EXIT" : "BUT_SKIP"));
            serveVersion ("3.5", required ? "3.23" : "3.0");
            AutoUpdateComponent page;
            page.quitProgram = [] {};
            page.checkForUpdate();
            EXPECT_EQ (driver.getNumPending(), 0);
        }

        for (auto whole : { true, false })
        {
            server.clearScripts();
            server.setBehaviour (archivePath, trickle);

            if (! whole)
                server.setReply (archivePath, { 404, "<html>gone</html>", "text/html" });

            ModalDriver driver;
            TaskShooter shooter (folder.getChildFile ("downloading-" + suffix + ".png"));
            shootThenPress (driver, whole ? "download-complete" : "download-failed", TRANS ("OK"));

            updateapp::TaskWindow task (repositoryBaseUrl + macPath, 3.5f);
            task.setLauncher ([] {});
            task.runThread (TaskWindow::priority);
            TestEnvironment::runFor (50);

            if (whole)
                EXPECT_TRUE (shooter.taken);
        }

        EXPECT_EQ (shots, 4);
    }

    setLanguage (0);
    std::cout << "Update gallery: " << folder.getFullPathName() << std::endl;
}
