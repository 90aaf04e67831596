#include <gtest/gtest.h>

#include "catalogue/InstallTask.h"
#include "localisation/Languages.h"
#include "support/ModalDriver.h"
#include "support/TestEnvironment.h"
#include "ui/folders/FormatSelector.h"
#include "ui/screens/AutoUpdateComponent.h"
#include "ui/screens/ProductStatusComponent.h"
#include "ui/screens/ProductStatusTableModel.h"
#include "ui/screens/QuorvelanMainComponent.h"
#include "ui/screens/ScreenCode.h"
#include "ui/screens/StatusScreenFixtures.h"
#include "ui/screens/TableInstallButton.h"
#include "ui/screens/TableUninstallButton.h"
#include "ui/widgets/PluginManagerAlertWindow.h"

using namespace StatusScreenFixtures;

namespace
{
using Rect = juce::Rectangle<int>;

struct SeenDialog
{
    juce::String title, message;
    juce::StringArray buttons;
    juce::String listing;
    bool hasSelector = false;
};

// Notes each dialog that appears and ends it with the button of that text.
void answerDialog (ModalDriver& driver, std::vector<SeenDialog>& seen, const juce::String& button)
{
    driver.whenModalAppears ([&seen, button] (juce::Component& modal)
                             {
        SeenDialog d;
        d.title = ModalDriver::getTitle (modal);
        d.message = ModalDriver::getMessage (modal);
        for (auto* child : modal.getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child))
                d.buttons.add (button->getButtonText());
        d.hasSelector = findChildOfType<FormatSelector> (modal) != nullptr;

        for (auto* child : modal.getChildren())
            if (auto* editor = dynamic_cast<juce::TextEditor*> (child); editor != nullptr && editor->isReadOnly())
                d.listing = editor->getText();

        seen.push_back (d);
        ModalDriver::pressButton (modal, button); },
                             [] (juce::Component& modal)
                             { return dynamic_cast<juce::AlertWindow*> (&modal) != nullptr; });
}

int attachedToBounce (ProductStatusComponent& screen)
{
    auto& ticker = screen.getTicker();

    for (int i = 0; i < ticker.getNumAnimations(); ++i)
        if (ticker.getAnimation (i)->name == "updatebuttonbounce")
            return (int) ticker.getAnimation (i)->attached.size();

    return -1;
}

class ProductStatusScreen : public testing::Test
{
protected:
    void SetUp() override
    {
        setLanguage (0);
        FormatSelector::forgetRememberedTicks();

        if (TestEnvironment::isInPrivateRoot())
            removeInstalledBundles();
    }
};
} // namespace

//==============================================================================
TEST_F (ProductStatusScreen, TableColumnsBarAndTickerAsBuilt)
{
    std::unique_ptr<ShownScreen> shown = std::make_unique<ShownScreen>();
    auto& screen = shown->screen;
    auto& table = screen.getTable();

    EXPECT_EQ (screen.getName(), "ProductStatusComponent");
    EXPECT_EQ (productStatusComponentInstance, &screen);
    EXPECT_EQ (table.getName(), "ProductStatusTableModel");
    EXPECT_EQ (table.getBounds(), Rect (25, 140, 495, 275));
    EXPECT_EQ (table.getRowHeight(), 30);
    EXPECT_EQ (table.getOutlineThickness(), 2);
    EXPECT_EQ (table.findColour (juce::ListBox::backgroundColourId), juce::Colours::black);
    EXPECT_EQ (table.findColour (juce::ListBox::outlineColourId), juce::Colour (0xffc6fdfe));

    auto& header = table.getHeader();
    EXPECT_FALSE (header.isStretchToFitActive());
    ASSERT_EQ (header.getNumColumns (true), 4);

    struct Column
    {
        int id, width;
        const char* name;
        int x;
    };

    int index = 0;
    for (auto& c : { Column{ 1, 210, "Plug-in", 0 }, Column{ 3, 55, "Version", 210 }, Column{ 4, 34, "", 265 }, Column{ 5, 34, "", 299 } })
    {
        SCOPED_TRACE (c.id);
        EXPECT_EQ (header.getColumnIdOfIndex (index++, true), c.id);
        EXPECT_EQ (header.getColumnWidth (c.id), c.width);
        EXPECT_EQ (header.getColumnName (c.id), c.name);
        EXPECT_EQ (header.getColumnPosition (index - 1).getX(), c.x);
        EXPECT_FALSE (header.isSortedForwards() && header.getSortColumnId() == c.id);
    }

    // Shown in this order: product box, table, then the bar's buttons.
    EXPECT_EQ (screen.getIndexOfChildComponent (&screen.getProductBox()), 0);
    EXPECT_EQ (screen.getIndexOfChildComponent (&table), 1);
    EXPECT_EQ (screen.getIndexOfChildComponent (screen.getBarButton (0)), 2);

    // The bar at construction: back and quit; next and the bulk buttons hidden.
    EXPECT_TRUE (screen.getBarButton (0)->isVisible() && screen.getBarButton (0)->isEnabled());
    EXPECT_FALSE (screen.getBarButton (1)->isVisible());
    EXPECT_TRUE (screen.getBarButton (2)->isVisible() && screen.getBarButton (2)->isEnabled());
    EXPECT_EQ (shown->bulkStates(), "hhh");

    // The bounce animation, stopped until the screen is activated.
    auto& ticker = screen.getTicker();
    ASSERT_EQ (ticker.getNumAnimations(), 1);
    auto* bounce = ticker.getAnimation (0);
    EXPECT_EQ (bounce->name, "updatebuttonbounce");
    EXPECT_EQ (bounce->type, 4u);
    EXPECT_EQ (bounce->startValue, 0.0f);
    EXPECT_EQ (bounce->high, 1.0f);
    EXPECT_EQ (bounce->cycleTime, 0.75f);
    EXPECT_EQ (bounce->rate, 10.0f);
    EXPECT_EQ (bounce->duration, -1.0f);
    EXPECT_TRUE (ticker.isStopped());

    // The wait box shows until the first refresh (under the table, which paints over it).
    auto paintScreenAlone = [&screen]
    {
        juce::Image image (juce::Image::ARGB, 785, 480, true);
        juce::Graphics g (image);
        screen.paint (g);
        return image;
    };

    auto before = paintScreenAlone();
    screen.refreshStatus();
    auto after = paintScreenAlone();
    int changed = 0;
    for (int y = 278; y < 302; ++y)
        for (int x = 122; x < 422; ++x)
            changed += before.getPixelAt (x, y) != after.getPixelAt (x, y) ? 1 : 0;
    EXPECT_GT (changed, 100);

    // Destroying the screen clears the pointer the table's buttons use.
    shown.reset();
    EXPECT_EQ (productStatusComponentInstance, nullptr);
}

TEST_F (ProductStatusScreen, CellsAndBarFollowTheCatalogue)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    ShownScreen shown;
    auto& screen = shown.screen;

    // Empty: no rows, no cells, the bulk buttons greyed; activating opens nothing.
    useProducts ({});
    ModalDriver driver;
    std::vector<SeenDialog> seen;
    answerDialog (driver, seen, "Cancel");
    screen.activate();
    TestEnvironment::runFor (100);
    EXPECT_TRUE (seen.empty());
    EXPECT_EQ (screen.getTable().getNumRows(), 0);
    EXPECT_EQ (shown.cell (1, 0), nullptr);
    EXPECT_EQ (shown.bulkStates(), "---");

    // Every product installed at its latest version: only uninstall all; still no dialog.
    installVst ("Full", "1.0");
    installAu ("Full", "1.0");
    useProducts (product (1, "Full", "1.0"));
    screen.activate();
    TestEnvironment::runFor (100);
    EXPECT_TRUE (seen.empty());
    EXPECT_EQ (shown.bulkStates(), "--e");

    // Only missing formats: install all.
    removeInstalledBundles();
    useProducts (product (1, "Full", "1.0"));
    screen.refreshStatus();
    EXPECT_EQ (shown.bulkStates(), "e--");

    // Four states side by side.
    installVst ("Current", "1.0");
    installAu ("Current", "1.0");
    installAu ("AuOld", "1.1");
    installVst ("BothOld", "1.5");
    installAu ("BothOld", "1.5");
    useProducts (product (1, "None", "1.2") + product (2, "Current", "1.0") + product (3, "AuOld", "1.2") + product (4, "BothOld", "2.0"));
    screen.refreshStatus();
    EXPECT_EQ (shown.bulkStates(), "eee");
    ASSERT_EQ (screen.getTable().getNumRows(), 4);

    struct Row
    {
        const char* title;
        const char* version;
        int mode;
        bool installEnabled;
        const char* installTip;
        bool uninstallEnabled;
        const char* uninstallTip;
    };

    const Row rows[] = {
        { "None", "not installed", 1, true, "Click here to install additional formats of this plug-in.", false, "This plugin is not installed." },
        { "Current", "v1.00", 1, false, "The latest versions of all available formats for this plug-in are installed.", true, "Click here for plugin removal options." },
        { "AuOld", "v1.10", 0, true, "Click here to update to the latest version of this plug-in, or install additional formats of this plug-in.", true, "Click here for plugin removal options." },
        { "BothOld", "v1.50", 0, true, "Click here to update to the latest version of this plug-in.", true, "Click here for plugin removal options." },
    };

    for (int r = 0; r < 4; ++r)
    {
        SCOPED_TRACE (rows[r].title);
        EXPECT_EQ (shown.text (1, r), rows[r].title);
        EXPECT_EQ (shown.text (3, r), rows[r].version);
        EXPECT_EQ (dynamic_cast<juce::Label*> (shown.cell (3, r))->getTooltip(), findProduct (rows[r].title)->getVersionTooltip());

        auto* install = shown.install (r);
        ASSERT_NE (install, nullptr);
        EXPECT_EQ (install->getRow(), r);
        EXPECT_EQ (install->getMode(), rows[r].mode);
        EXPECT_EQ (install->isEnabled(), rows[r].installEnabled);
        EXPECT_EQ (install->getTooltip(), rows[r].installTip);
        EXPECT_EQ (install->getBounds(), Rect (265, 0, 34, 30));

        auto* uninstall = shown.uninstall (r);
        ASSERT_NE (uninstall, nullptr);
        EXPECT_EQ (uninstall->isEnabled(), rows[r].uninstallEnabled);
        EXPECT_EQ (uninstall->getTooltip(), rows[r].uninstallTip);
    }

    // The cells are made anew on each refresh; the bounce holds one entry per update button.
    for (int i = 0; i < 20; ++i)
        screen.refreshStatus();

    EXPECT_EQ (attachedToBounce (screen), 2);
    EXPECT_TRUE (driver.getNumPending() == 1);
}

TEST_F (ProductStatusScreen, OffersListTheirTasksAndSayWhatTheyDo)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    installVst ("Alpha", "1.1");
    useProducts (product (1, "Alpha", "1.2") + product (2, "Beta", "2.05", BundleFixtures::componentXml ("VST64", "Beta x64.vst")));

    InstallTaskList tasks;
    ASSERT_TRUE (ProductCatalogue::getInstance().buildInstallAllTasks (tasks));
    EXPECT_EQ (ProductStatusComponent::makeListing (tasks),
               "          Alpha v1.20\n          Format(s): AU   \n\n"
               "          Beta v2.05\n          Format(s): VST   AU   \n\n");

    ShownScreen shown;
    auto& screen = shown.screen;
    ModalDriver driver;
    std::vector<SeenDialog> seen;

    // Activation: install all first, update all right after, whatever the first answer.
    answerDialog (driver, seen, "Cancel");
    answerDialog (driver, seen, "Cancel");
    screen.setDownloadMode (false);
    screen.activate();
    ASSERT_EQ (seen.size(), 2u);
    EXPECT_FALSE (screen.getTicker().isStopped());

    EXPECT_EQ (seen[0].title, "New Plugins Available");
    EXPECT_EQ (seen[0].message, "You have licences for the following plugins which are currently not installed on this computer. Would you like to install them now?");
    EXPECT_EQ (seen[0].buttons, juce::StringArray ({ "Install", "Cancel" }));
    EXPECT_TRUE (seen[0].hasSelector);
    EXPECT_EQ (seen[0].listing, ProductStatusComponent::makeListing (tasks));

    EXPECT_EQ (seen[1].title, "Plugin Updates");
    EXPECT_EQ (seen[1].message, "The following updates are available for plugins on your computer, would you like to install them now?");
    EXPECT_EQ (seen[1].buttons, juce::StringArray ({ "Install", "Cancel" }));
    EXPECT_FALSE (seen[1].hasSelector);
    EXPECT_EQ (seen[1].listing, "          Alpha v1.20\n          Format(s): VST   \n\n");

    // The demo download list words its install offer differently.
    seen.clear();
    answerDialog (driver, seen, "Cancel");
    screen.setDownloadMode (true);
    screen.installAllAvailable();
    ASSERT_EQ (seen.size(), 1u);
    EXPECT_EQ (seen[0].title, "Demo Plug-ins Available");
    EXPECT_EQ (seen[0].message, "There are demo plug-ins available which are not currently installed on this computer. Would you like to install them now?");

    // Uninstall all.
    seen.clear();
    answerDialog (driver, seen, "Cancel");
    screen.uninstallAll();
    ASSERT_EQ (seen.size(), 1u);
    EXPECT_EQ (seen[0].title, "Uninstall All Quorvelan Plug-ins");
    EXPECT_EQ (seen[0].message, "Are you sure you want to uninstall all Quorvelan plug-ins that are currently installed on your computer?");
    EXPECT_EQ (seen[0].buttons, juce::StringArray ({ "Uninstall", "Cancel" }));
    EXPECT_EQ (seen[0].listing, "          Alpha v1.20\n          Format(s): VST   \n\n");

    // The table's dialogs; the uninstall dialog's cancel reads "CANCEL".
    seen.clear();
    answerDialog (driver, seen, "Cancel");
    shown.install (0)->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return seen.size() == 1; }));
    EXPECT_EQ (seen[0].title, "Install/Update software");
    EXPECT_EQ (seen[0].message, "Select formats to install/update:");
    EXPECT_EQ (seen[0].buttons, juce::StringArray ({ "Install", "Cancel" }));

    answerDialog (driver, seen, "CANCEL");
    shown.uninstall (0)->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return seen.size() == 2; }));
    EXPECT_EQ (seen[1].title, "Uninstall");
    EXPECT_EQ (seen[1].message, "Select formats to remove");
    EXPECT_EQ (seen[1].buttons, juce::StringArray ({ "Uninstall", "CANCEL" }));

    // Spanish.
    setLanguage (1);
    seen.clear();
    answerDialog (driver, seen, "Cancelar");
    answerDialog (driver, seen, "CANCELAR");
    screen.setDownloadMode (false);
    screen.installAllAvailable();
    shown.uninstall (0)->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return seen.size() == 2; }));
    EXPECT_EQ (seen[0].title, "Nuevos plug-ins disponibles");
    EXPECT_EQ (seen[0].buttons, juce::StringArray ({ "Instalar", "Cancelar" }));
    EXPECT_TRUE (seen[0].listing.contains ("Formato(s): AU   "));
    EXPECT_EQ (seen[1].buttons, juce::StringArray ({ "Desinstalar", "CANCELAR" }));
    setLanguage (0);
}

TEST_F (ProductStatusScreen, BackSendsTheUpdateCheckCodeAndQuitEndsTheLoop)
{
    if (TestEnvironment::isChildProcess())
    {
        // Quit from the bar ends the message loop.
        ProductStatusComponent screen;
        juce::MessageManager::callAsync ([&screen]
                                         { screen.getBarButton (2)->triggerClick(); });
        juce::MessageManager::getInstance()->runDispatchLoop();
        std::cout << "loop ended" << std::endl;
        return;
    }

    auto child = TestEnvironment::runTestInChildProcess ("ProductStatusScreen.BackSendsTheUpdateCheckCodeAndQuitEndsTheLoop");
    EXPECT_EQ (child.exitCode, 0) << child.output;
    EXPECT_TRUE (child.output.contains ("loop ended")) << child.output;

    ShownScreen shown;
    auto& screen = shown.screen;

    struct Listener : juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster* source) override
        {
            codes.add ((int) dynamic_cast<ScreenCodeBroadcaster*> (source)->takeScreenCode());
        }
        juce::Array<int> codes;
    } listener;

    screen.addChangeListener (&listener);
    useProducts ({});
    screen.activate();
    EXPECT_FALSE (screen.getTicker().isStopped());
    EXPECT_FALSE (screen.getProductBox().getTicker().isStopped());

    screen.getBarButton (0)->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return ! listener.codes.isEmpty(); }));
    EXPECT_EQ (listener.codes, juce::Array<int> ({ ScreenCode::updateCheck }));
    EXPECT_TRUE (screen.getTicker().isStopped());
    EXPECT_FALSE (screen.getProductBox().getTicker().isFinished ("boxslide")) << "re-armed for the next showing";
    screen.removeChangeListener (&listener);
}

TEST_F (ProductStatusScreen, TableInstallComesFromTheOfflineRepository)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    // The offline repository in the machine's shared folder, with one product's archives.
    auto& catalogue = ProductCatalogue::getInstance();
    juce::File repository (catalogue.getOfflineRepositoryFolder());
    ASSERT_TRUE (repository.createDirectory());
    ASSERT_TRUE (repository.getChildFile ("components.xml").replaceWithText ("<components>" + product (7, "Disk", "1.3") + "</components>"));
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (repository.getChildFile ("components/MAC/Disk.vst.zip"), "Disk.vst", "1.3", juce::MemoryBlock (16, true)));
    ASSERT_TRUE (catalogue.tryOfflineRepository());
    catalogue.dropOnlineComponents();
    catalogue.buildFromXml (nullptr);
    ASSERT_EQ (catalogue.getNumProducts(), 1);

    ShownScreen shown;
    auto& screen = shown.screen;
    screen.refreshStatus();
    EXPECT_EQ (shown.text (3, 0), "not installed");

    // Tick VST and install.
    ModalDriver driver;
    driver.whenModalAppears ([] (juce::Component& modal)
                             {
        auto* selector = findChildOfType<FormatSelector> (modal);
        dynamic_cast<juce::Button*> (findNamed (*selector, "m_VSTRadioButton"))->setToggleState (true, juce::sendNotificationSync);
        ModalDriver::pressButton (modal, "Install"); },
                             [] (juce::Component& modal)
                             { return dynamic_cast<PluginManagerAlertWindow*> (&modal) != nullptr; });

    TestEnvironment::runFor (50); // the table's own pending updates remake the cells first
    shown.install (0)->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return shown.text (3, 0) == "v1.30"; },
                                            30000));
    EXPECT_TRUE (juce::File (getDefaultVstFolder() + "Disk.vst/Contents/Info.plist").existsAsFile());
    EXPECT_TRUE (shown.uninstall (0)->isEnabled());
    EXPECT_TRUE (FormatSelector::getRememberedTick ("VST"));
}

TEST_F (ProductStatusScreen, MainComponentShowsAndActivatesItForItsTwoCodes)
{
    useProducts ({});
    QuorvelanMainComponent main;
    auto* page = main.getProductStatusPage();
    ASSERT_NE (page, nullptr);
    EXPECT_FALSE (page->isVisible());
    EXPECT_EQ (main.getIndexOfChildComponent (page), 4) << "added hidden after the two labels, the welcome and the login pages";
    EXPECT_EQ (productStatusComponentInstance, page);

    main.handleScreenCode (ScreenCode::productStatus);
    EXPECT_EQ (main.getCurrentScreen(), page);
    EXPECT_TRUE (page->isVisible());
    EXPECT_EQ (main.getTitleText(), "License Status Screen");
    EXPECT_FALSE (page->isInDownloadMode());
    EXPECT_FALSE (page->getTicker().isStopped()) << "activated";
    EXPECT_EQ (page->getBarButton (3)->isVisible(), true) << "refreshed";

    // Already shown: the mode changes and the page is activated again.
    page->getTicker().stop();
    main.handleScreenCode (ScreenCode::demoDownloads);
    EXPECT_EQ (main.getCurrentScreen(), page);
    EXPECT_EQ (main.getTitleText(), "Available Demo Downloads");
    EXPECT_TRUE (page->isInDownloadMode());
    EXPECT_FALSE (page->getTicker().isStopped());

    // The page's code 10 leaves it for the update check.
    main.handleScreenCode (ScreenCode::updateCheck);
    EXPECT_EQ (main.getCurrentScreen(), main.getUpdatePage());
}
