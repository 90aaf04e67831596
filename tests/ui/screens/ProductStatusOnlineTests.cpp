#include <gtest/gtest.h>

#include "app/KestruneMainWindow.h"
#include "localisation/Languages.h"
#include "platform/ProcessRunner.h"
#include "support/ModalDriver.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"
#include "tasks/ConnectionThread.h"
#include "tasks/LoginThread.h"
#include "ui/folders/FormatSelector.h"
#include "ui/screens/ProductStatusComponent.h"
#include "ui/screens/ProductStatusTableModel.h"
#include "ui/screens/QuorvelanMainComponent.h"
#include "ui/screens/ScreenCode.h"
#include "ui/screens/StatusScreenFixtures.h"
#include "ui/screens/TableInstallButton.h"
#include "ui/screens/TableUninstallButton.h"
#include "ui/widgets/PluginManagerAlertWindow.h"

#include <csignal>
#include <unistd.h>

using namespace StatusScreenFixtures;

namespace
{
juce::Button* tickOf (juce::Component& modal, const juce::String& format)
{
    auto* selector = findChildOfType<FormatSelector> (modal);
    return selector != nullptr ? dynamic_cast<juce::Button*> (findNamed (*selector, "m_" + format + "RadioButton")) : nullptr;
}

bool isAlert (juce::Component& modal)
{
    return dynamic_cast<PluginManagerAlertWindow*> (&modal) != nullptr;
}

// The stand-in with a repository of archives and the screen on the desktop.
class ProductStatusOnline : public ServerFixture
{
protected:
    void SetUp() override
    {
        if (! TestEnvironment::isInPrivateRoot())
            return;

        ServerFixture::SetUp();
        setLanguage (0);
        FormatSelector::forgetRememberedTicks();
        removeInstalledBundles();
        server.setRepositoryFolder (repository.getFile().getFullPathName().toStdString());
    }

    void TearDown() override
    {
        if (TestEnvironment::isInPrivateRoot())
            ServerFixture::TearDown();
    }

    void addArchive (const juce::String& name, const juce::String& version)
    {
        ASSERT_TRUE (BundleFixtures::writeBundleArchive (repository.getChild ("components/MAC/" + name + ".zip"),
                                                         name, version, juce::MemoryBlock (32, true)));
    }

    std::vector<std::string> archivesAskedFor() const
    {
        std::vector<std::string> paths;

        for (auto& r : server.getRequests())
            if (juce::String (r.path).startsWith ("/plugrepo/"))
                paths.push_back (r.path);

        return paths;
    }

    BundleFixtures::ScratchFolder repository;
};

// Raises the component's window, moves the pointer onto the component and clicks there with
// xdotool (real pointer events); true when xdotool ran.
bool clickWithMouse (juce::Component* component)
{
    if (component == nullptr || component->getPeer() == nullptr)
        return false;

    component->getPeer()->getComponent().toFront (false);
    auto point = component->getScreenBounds().getCentre();

    juce::StringArray command{ "xdotool", "mousemove" };
    command.add (juce::String (point.x));
    command.add (juce::String (point.y));
    command.addArray (juce::StringArray{ "click", "1" });

    juce::ChildProcess xdotool;

    if (! xdotool.start (command))
        return false;

    return xdotool.waitForProcessToFinish (10000) && xdotool.getExitCode() == 0;
}

// An X display of the test's own for the life of the object, so that no other test's windows
// or pointer moves come between the pointer and its target; DISPLAY names it meanwhile.
class OwnDisplay
{
public:
    OwnDisplay()
    {
        int input = -1, output = -1;
        serverId = ProcessRunner::startWithPipes ({ "/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp" },
                                                  input, output);

        if (serverId < 0)
            return;

        // Xvfb writes the display number once it accepts connections.
        juce::String number;
        char c = 0;

        while (::read (output, &c, 1) == 1 && c != '\n')
            number << c;

        ::close (input);
        ::close (output);

        if (number.containsOnly ("0123456789") && number.isNotEmpty())
            display = std::make_unique<TestEnvironment::ScopedEnvironmentVariable> ("DISPLAY", (":" + number).toRawUTF8());
    }

    ~OwnDisplay()
    {
        display.reset();

        // Asked to end rather than killed, it removes its socket from /tmp.
        if (serverId > 0 && ::kill (serverId, SIGTERM) == 0)
            ProcessRunner::wait (serverId);
    }

    bool isReady() const noexcept { return display != nullptr; }

private:
    int serverId = -1;
    std::unique_ptr<TestEnvironment::ScopedEnvironmentVariable> display;
};

// Writes what the display shows into the temporary folder, for a person to look at.
void screenshot (const juce::String& fileName)
{
    TestEnvironment::runFor (100);
    auto file = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile (fileName);
    juce::ChildProcess import;

    if (import.start (juce::StringArray{ "/usr/bin/import", "-window", "root", file.getFullPathName() }))
        import.waitForProcessToFinish (20000);
}

// Runs the message loop (within whichever modal loop is running) until the condition holds,
// then runs the action.
void whenTrue (std::function<bool()> condition, std::function<void()> action)
{
    if (condition())
    {
        action();
        return;
    }

    juce::Timer::callAfterDelay (20, [condition, action]
                                 { whenTrue (condition, action); });
}

// Clicks the target with the mouse until the click has had its effect (a click that reaches a
// window before it is on the display is lost), then runs the next step; gives up after about
// 30 seconds, ending the modal loop in front so that the test fails instead of waiting.
void clickUntil (std::function<juce::Component*()> target, std::function<bool()> done,
                 std::function<void()> next, int attempt = 0)
{
    if (done())
    {
        next();
        return;
    }

    if (attempt > 1500)
    {
        if (auto* modal = juce::Component::getCurrentlyModalComponent())
            modal->exitModalState (1);

        return;
    }

    if (attempt % 25 == 0)
        clickWithMouse (target());

    juce::Timer::callAfterDelay (20, [target, done, next, attempt]
                                 { clickUntil (target, done, next, attempt + 1); });
}
} // namespace

//==============================================================================
TEST_F (ProductStatusOnline, OffersEndedWithoutConfirmingRunNothing)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    addArchive ("Alpha.vst", "1.0");
    addArchive ("Alpha.component", "1.0");
    useProducts (product (1, "Alpha", "1.0"));

    ShownScreen shown;
    auto& screen = shown.screen;
    screen.refreshStatus();
    ModalDriver driver;

    // Cancel; Install with nothing ticked; closed by the window manager; hidden.
    driver.pressWhenModalAppears ("Cancel");
    screen.installAllAvailable();

    driver.whenModalAppears ([] (juce::Component& modal)
                             {
        for (auto* format : { "RTAS", "VST", "AU" })
            tickOf (modal, format)->setToggleState (false, juce::sendNotificationSync);
        ModalDriver::pressButton (modal, "Install"); },
                             isAlert);
    screen.installAllAvailable();

    driver.whenModalAppears ([] (juce::Component& modal)
                             { modal.getPeer()->handleUserClosingWindow(); },
                             isAlert);
    screen.installAllAvailable();

    driver.whenModalAppears ([] (juce::Component& modal)
                             { modal.setVisible (false); },
                             isAlert);
    screen.installAllAvailable();

    // The table's install dialog closed by the window manager, with VST ticked.
    bool closed = false;
    driver.whenModalAppears ([&closed] (juce::Component& modal)
                             {
        tickOf (modal, "VST")->setToggleState (true, juce::sendNotificationSync);
        modal.getPeer()->handleUserClosingWindow();
        closed = true; },
                             isAlert);
    dynamic_cast<juce::Button*> (screen.getTable().getCellComponent (ProductStatusTableModel::installColumn, 0))->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return closed; }));
    TestEnvironment::runFor (200);

    EXPECT_EQ (driver.getNumPending(), 0);
    EXPECT_TRUE (archivesAskedFor().empty());
    EXPECT_FALSE (juce::File (getDefaultVstFolder() + "Alpha.vst").exists());
    EXPECT_EQ (juce::File (getTempFolderPath()).getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
}

TEST_F (ProductStatusOnline, ConfirmedInstallAllGivesEveryTaskTheTickedFormatsAndFolders)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    for (auto* name : { "Echo.vst", "Echo.component", "Echo.dpm", "Verb.vst", "Verb.component" })
        addArchive (name, "2.0");

    // Echo lacks everything; Verb only its VST.
    installAu ("Verb", "2.0");
    useProducts (product (1, "Echo", "2.0", BundleFixtures::componentXml ("RTAS", "Echo.dpm"))
                 + product (2, "Verb", "2.0"));

    auto saved = FormatSelector::chooseFolder;
    FormatSelector::chooseFolder = [] (const juce::String&, const juce::String&, const juce::String&)
    { return juce::String ("/Library/Custom VST"); };

    ShownScreen shown;
    auto& screen = shown.screen;
    ModalDriver driver;
    juce::Rectangle<int> windowBounds, selectorBounds;

    // Untick AU, choose another VST folder, install.
    driver.whenModalAppears ([&] (juce::Component& modal)
                             {
        windowBounds = modal.getScreenBounds();
        selectorBounds = findChildOfType<FormatSelector> (modal)->getScreenBounds();
        tickOf (modal, "AU")->setToggleState (false, juce::sendNotificationSync);
        auto* selector = findChildOfType<FormatSelector> (modal);
        dynamic_cast<juce::Button*> (findNamed (*selector, "m_VSTInstallLocationButton"))->triggerClick();
        whenTrue ([selector] { return selector->getVstLocation() == "/Library/Custom VST/"; },
                  [&modal] { ModalDriver::pressButton (modal, "Install"); }); },
                             isAlert);
    screen.installAllAvailable();
    FormatSelector::chooseFolder = saved;

    // The dialog holds the whole selector and fits the 1280 x 800 screen.
    EXPECT_TRUE (windowBounds.contains (selectorBounds)) << windowBounds.toString() << " " << selectorBounds.toString();
    EXPECT_GE (windowBounds.getWidth(), 600);
    EXPECT_LE (windowBounds.getWidth(), 896);
    EXPECT_LE (windowBounds.getHeight(), 560);

    // VST, then RTAS, for each task in order; no AU.
    EXPECT_EQ (archivesAskedFor(), (std::vector<std::string>{ "/plugrepo/components/MAC/Echo.vst.zip",
                                                              "/plugrepo/components/MAC/Echo.dpm.zip",
                                                              "/plugrepo/components/MAC/Verb.vst.zip" }));
    EXPECT_TRUE (juce::File ("/Library/Custom VST/Echo.vst/Contents/Info.plist").existsAsFile());
    EXPECT_TRUE (juce::File ("/Library/Custom VST/Verb.vst/Contents/Info.plist").existsAsFile());
    EXPECT_TRUE (juce::File (getDefaultRtasFolder() + "Echo.dpm/Contents/Info.plist").existsAsFile());
    EXPECT_FALSE (juce::File (getDefaultAuFolder() + "Echo.component").exists());
    EXPECT_FALSE (juce::File (getDefaultVstFolder() + "Echo.vst").exists());
}

TEST_F (ProductStatusOnline, CustomerLogsInAndInstallsAndRemovesWithTheMouse)
{
    std::unique_ptr<OwnDisplay> ownDisplay;

    if (! TestEnvironment::isInPrivateRoot())
    {
        ownDisplay = std::make_unique<OwnDisplay>();
        ASSERT_TRUE (ownDisplay->isReady());
    }

    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    ASSERT_TRUE (server.serveFolder (QUORVELAN_SAMPLE_CATALOGUE_DIR));

    // The real main window on a fresh home: the licence agreement first.
    ModalDriver driver;
    driver.pressWhenModalAppears ("Accept");
    auto window = std::make_unique<KestruneMainWindow>();
    ASSERT_EQ (driver.getNumPending(), 0);
    auto* main = window->getMainComponent();
    auto* screen = main->getProductStatusPage();
    ASSERT_NE (screen, nullptr);
    EXPECT_FALSE (screen->isVisible());

    // Log in and fetch the catalogue in the task windows, then the login page's code 8.
    {
        LoginThread login ("demo@quorvelan.com", "demo1234");
        ASSERT_TRUE (login.login());
    }
    runConnectionWindow();
    ASSERT_EQ (ProductCatalogue::getInstance().getNumProducts(), 6);

    bool offered = false;
    driver.whenModalAppears ([&offered] (juce::Component& modal)
                             {
        offered = ModalDriver::getTitle (modal) == "New Plugins Available";
        ModalDriver::pressButton (modal, "Cancel"); },
                             isAlert);
    screen->sendScreenCode (ScreenCode::productStatus);
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return main->getCurrentScreen() == screen && driver.getNumPending() == 0; }));
    EXPECT_TRUE (offered);
    EXPECT_EQ (main->getTitleText(), "License Status Screen");
    EXPECT_FALSE (screen->isInDownloadMode());

    auto& table = screen->getTable();
    ASSERT_EQ (table.getNumRows(), 6);
    int row = -1;
    for (int r = 0; r < 6; ++r)
        if (auto* label = dynamic_cast<juce::Label*> (table.getCellComponent (ProductStatusTableModel::pluginColumn, r)))
            if (label->getText() == "Quorvelan Chorus")
                row = r;
    ASSERT_GE (row, 0);

    auto versionText = [&]
    {
        auto* label = dynamic_cast<juce::Label*> (table.getCellComponent (ProductStatusTableModel::versionColumn, row));
        return label != nullptr ? label->getText() : juce::String();
    };

    // Press the row's install button, tick VST, press Install.
    EXPECT_EQ (versionText(), "not installed");
    bool installDialogShown = false;
    driver.whenModalAppears ([&] (juce::Component& modal)
                             {
        installDialogShown = true;
        juce::Component::SafePointer<juce::Component> dialog (&modal);
        auto* vst = tickOf (modal, "VST");
        clickUntil ([vst] { return vst; }, [vst] { return vst->getToggleState(); }, [dialog]
                    { clickUntil ([dialog] { return dialog != nullptr ? ModalDriver::findButton (*dialog, "Install") : nullptr; },
                                  [dialog] { return dialog == nullptr || ! dialog->isCurrentlyModal(); },
                                  [] {}); }); },
                             isAlert);
    clickUntil ([&]
                { return table.getCellComponent (ProductStatusTableModel::installColumn, row); },
                [&]
                { return installDialogShown; },
                [] {});
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return versionText() == "v1.00"; },
                                            30000));
    EXPECT_TRUE (juce::File (getDefaultVstFolder() + "Quorvelan Chorus.vst/Contents/Info.plist").existsAsFile());
    screenshot ("quorvelan-status-end-to-end-installed.png");
    EXPECT_FALSE (juce::File (getDefaultAuFolder() + "Quorvelan Chorus.component").exists());
    EXPECT_TRUE (table.getCellComponent (ProductStatusTableModel::uninstallColumn, row)->isEnabled());

    // The trash can, then Uninstall: VST is already ticked.
    bool vstTicked = false, uninstallDialogShown = false;
    driver.whenModalAppears ([&] (juce::Component& modal)
                             {
        uninstallDialogShown = true;
        vstTicked = tickOf (modal, "VST") != nullptr && tickOf (modal, "VST")->getToggleState();
        juce::Component::SafePointer<juce::Component> dialog (&modal);
        clickUntil ([dialog] { return dialog != nullptr ? ModalDriver::findButton (*dialog, "Uninstall") : nullptr; },
                    [dialog] { return dialog == nullptr || ! dialog->isCurrentlyModal(); },
                    [] {}); },
                             isAlert);
    clickUntil ([&]
                { return table.getCellComponent (ProductStatusTableModel::uninstallColumn, row); },
                [&]
                { return uninstallDialogShown; },
                [] {});
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return versionText() == "not installed"; },
                                            30000));
    EXPECT_TRUE (vstTicked);
    EXPECT_FALSE (juce::File (getDefaultVstFolder() + "Quorvelan Chorus.vst").exists());
    EXPECT_FALSE (table.getCellComponent (ProductStatusTableModel::uninstallColumn, row)->isEnabled());

    screenshot ("quorvelan-status-end-to-end-removed.png");
    window.reset();
}
