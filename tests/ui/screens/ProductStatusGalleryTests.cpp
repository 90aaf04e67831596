#include <gtest/gtest.h>

#include "localisation/Languages.h"
#include "support/ModalDriver.h"
#include "support/TestEnvironment.h"
#include "ui/folders/FormatSelector.h"
#include "ui/screens/ProductStatusComponent.h"
#include "ui/screens/ProductStatusTableModel.h"
#include "ui/screens/AutoUpdateComponent.h"
#include "ui/screens/QuorvelanMainComponent.h"
#include "ui/screens/StatusScreenFixtures.h"
#include "ui/widgets/PluginManagerAlertWindow.h"

using namespace StatusScreenFixtures;

// Writes the product status screen in each state, its dialogs and every format selector layout
// as PNGs into $QUORVELAN_STATUS_GALLERY (default /tmp/quorvelan-status-gallery/).
namespace
{
juce::File galleryFolder()
{
    auto path = juce::SystemStats::getEnvironmentVariable ("QUORVELAN_STATUS_GALLERY", "/tmp/quorvelan-status-gallery");
    juce::File folder (path);
    folder.createDirectory();
    return folder;
}

void save (const juce::Image& image, const juce::String& name)
{
    auto file = galleryFolder().getChildFile (name + ".png");
    file.deleteFile();
    juce::FileOutputStream stream (file);
    ASSERT_TRUE (stream.openedOk()) << file.getFullPathName();
    juce::PNGImageFormat().writeImageToStream (image, stream);
}

// The main window's content with the status page shown on it.
struct ShownPage
{
    ShownPage()
    {
        // No update check at start: it would move on to another screen and rebuild the catalogue
        // under the page.
        main.getUpdatePage()->removeChangeListener (&main);
        main.addToDesktop (0);
        main.setVisible (true);

        // The start's update check moves on to another screen first.
        TestEnvironment::runUntil ([this]
                                   { return main.getCurrentScreen() != nullptr && main.getCurrentScreen() != static_cast<juce::Component*> (main.getUpdatePage()); });
        main.switchTo ("License Status Screen", page());
    }

    ProductStatusComponent* page() { return main.getProductStatusPage(); }

    void saveAs (const juce::String& name)
    {
        TestEnvironment::runFor (50);
        save (main.createComponentSnapshot (main.getLocalBounds()), name);
    }

    QuorvelanMainComponent main;
};

// Saves each dialog that appears, then cancels it.
void saveDialogs (ModalDriver& driver, juce::StringArray names, int& saved)
{
    for (auto& name : names)
        driver.whenModalAppears ([name, &saved] (juce::Component& modal)
                                 {
            save (modal.createComponentSnapshot (modal.getLocalBounds()), name);
            ++saved;
            ModalDriver::pressButton (modal, ModalDriver::findButtonReturning (modal, 1)->getButtonText()); },
                                 [] (juce::Component& modal)
                                 { return dynamic_cast<PluginManagerAlertWindow*> (&modal) != nullptr; });
}

void saveSelector (FormatSelector& selector, const juce::String& name)
{
    juce::Image image (juce::Image::ARGB, selector.getWidth(), selector.getHeight(), true);
    {
        juce::Graphics g (image);
        g.fillAll (juce::Colours::black);
        g.drawImageAt (selector.createComponentSnapshot (selector.getLocalBounds()), 0, 0);
    }
    save (image, name);
}

// The selector's layouts, in the language of the moment.
void saveSelectorLayouts (const juce::String& suffix)
{
    FormatSelector installAll (true, nullptr);
    saveSelector (installAll, "selector-install-all" + suffix);
    FormatSelector uninstallAll (false, nullptr);
    saveSelector (uninstallAll, "selector-uninstall-all" + suffix);
    FormatSelector installEcho (true, findProduct ("Quorvelan Echo"));
    saveSelector (installEcho, "selector-install-one-update-and-missing" + suffix);
    FormatSelector installChorus (true, findProduct ("Quorvelan Chorus"));
    saveSelector (installChorus, "selector-install-one-nothing-to-offer" + suffix);
    FormatSelector uninstallVerb (false, findProduct ("Quorvelan Verb"));
    saveSelector (uninstallVerb, "selector-uninstall-one-au-only" + suffix);
    FormatSelector uninstallEcho (false, findProduct ("Quorvelan Echo"));
    saveSelector (uninstallEcho, "selector-uninstall-one-vst-and-au" + suffix);
}

const juce::String mixedProducts = product (1, "Quorvelan Echo", "1.2") + product (2, "My Plug", "2.05")
                                   + product (3, "Quorvelan Chorus", "1.0") + product (4, "Quorvelan Verb", "3.1")
                                   + product (5, "Quorvelan Tape", "0.9");

void installMixed()
{
    installVst ("Quorvelan Echo", "1.1");
    installAu ("Quorvelan Echo", "1.2");
    installVst ("Quorvelan Chorus", "1.0");
    installAu ("Quorvelan Chorus", "1.0");
    installAu ("Quorvelan Verb", "3.0");
}
} // namespace

TEST (ProductStatusGallery, WritesTheScreenItsDialogsAndTheSelectorLayouts)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    setLanguage (0);
    removeInstalledBundles();
    FormatSelector::forgetRememberedTicks();
    int savedDialogs = 0;

    {
        ShownPage shown;
        shown.saveAs ("screen-1-before-first-refresh");

        useProducts ({});
        shown.page()->refreshStatus();
        shown.saveAs ("screen-2-empty");

        BundleFixtures::buildCatalogue (juce::File (QUORVELAN_SAMPLE_CATALOGUE_DIR).getChildFile ("components.xml").loadFileAsString(), true);
        shown.page()->refreshStatus();
        shown.saveAs ("screen-3-sample");

        installMixed();
        useProducts (mixedProducts);
        shown.page()->refreshStatus();
        shown.page()->getTicker().start();
        TestEnvironment::runUntil ([&]
                                   { return shown.page()->getTicker().getValue ("updatebuttonbounce") > 0.6f; });
        shown.saveAs ("screen-4-mixed-pulsing");

        ModalDriver driver;
        saveDialogs (driver, { "dialog-install-all", "dialog-update-all" }, savedDialogs);
        shown.page()->activate();

        saveDialogs (driver, { "dialog-install-all-download-mode" }, savedDialogs);
        shown.page()->setDownloadMode (true);
        shown.page()->installAllAvailable();

        saveDialogs (driver, { "dialog-uninstall-all" }, savedDialogs);
        shown.page()->uninstallAll();

        auto& table = shown.page()->getTable();
        saveDialogs (driver, { "dialog-table-install" }, savedDialogs);
        dynamic_cast<juce::Button*> (table.getCellComponent (ProductStatusTableModel::installColumn, 0))->triggerClick();
        TestEnvironment::runUntil ([&]
                                   { return savedDialogs == 5; });

        saveDialogs (driver, { "dialog-table-uninstall" }, savedDialogs);
        dynamic_cast<juce::Button*> (table.getCellComponent (ProductStatusTableModel::uninstallColumn, 0))->triggerClick();
        TestEnvironment::runUntil ([&]
                                   { return savedDialogs == 6; });
    }

    saveSelectorLayouts ({});

    // Spanish.
    setLanguage (1);
    {
        ShownPage shown;
        useProducts (mixedProducts);
        shown.page()->refreshStatus();
        shown.saveAs ("screen-5-spanish");

        ModalDriver driver;
        saveDialogs (driver, { "dialog-install-all-spanish", "dialog-update-all-spanish" }, savedDialogs);
        shown.page()->activate();

        saveDialogs (driver, { "dialog-table-uninstall-spanish" }, savedDialogs);
        dynamic_cast<juce::Button*> (shown.page()->getTable().getCellComponent (ProductStatusTableModel::uninstallColumn, 0))->triggerClick();
        TestEnvironment::runUntil ([&]
                                   { return savedDialogs == 9; });

        saveDialogs (driver, { "dialog-table-install-spanish" }, savedDialogs);
        dynamic_cast<juce::Button*> (shown.page()->getTable().getCellComponent (ProductStatusTableModel::installColumn, 0))->triggerClick();
        TestEnvironment::runUntil ([&]
                                   { return savedDialogs == 10; });

        saveDialogs (driver, { "dialog-uninstall-all-spanish" }, savedDialogs);
        shown.page()->uninstallAll();

        saveDialogs (driver, { "dialog-install-all-download-mode-spanish" }, savedDialogs);
        shown.page()->setDownloadMode (true);
        shown.page()->installAllAvailable();
    }
    saveSelectorLayouts ("-spanish");
    setLanguage (0);

    EXPECT_EQ (savedDialogs, 12);
    EXPECT_GE (galleryFolder().getNumberOfChildFiles (juce::File::findFiles, "*.png"), 29);
}
