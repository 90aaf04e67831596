#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/ComponentRecord.h"
#include "catalogue/InstallTask.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "services/ProgramValues.h"
#include "support/TestEnvironment.h"

using BundleFixtures::buildCatalogue;
using BundleFixtures::componentXml;
using BundleFixtures::productXml;

namespace
{
juce::StringArray titlesInOrder (const ProductCatalogue& catalogue)
{
    juce::StringArray titles;
    for (int i = 0; i < catalogue.getNumProducts(); ++i)
        titles.add (catalogue.getProduct (i)->getTitle());
    return titles;
}
} // namespace

TEST (ProductCatalogue, OneRecordPerIdKeepsTheHighestVersion)
{
    struct Case
    {
        const char* name;
        juce::String xml;
        bool online;
        const char* survivor;
    };

    const Case cases[] = {
        { "higher wins online", "<r>" + productXml (7, "A", "1.0", 1) + productXml (7, "B", "1.2", 1) + "</r>", true, "B" },
        { "higher wins first", "<r>" + productXml (7, "A", "1.2", 1) + productXml (7, "B", "1.0", 1) + "</r>", true, "A" },
        { "equal online keeps first", "<r>" + productXml (7, "A", "1.0", 1) + productXml (7, "B", "1.0", 1) + "</r>", true, "A" },
        { "equal offline keeps last", "<r>" + productXml (7, "A", "1.0", 1) + productXml (7, "B", "1.0", 1) + "</r>", false, "B" },
        { "three online", "<r>" + productXml (7, "A", "1.0", 1) + productXml (7, "B", "1.2", 1) + productXml (7, "C", "1.2", 1) + "</r>", true, "B" },
        { "three offline", "<r>" + productXml (7, "A", "1.2", 1) + productXml (7, "B", "1.2", 1) + productXml (7, "C", "1.1", 1) + "</r>", false, "B" },
    };

    for (auto& c : cases)
    {
        auto& catalogue = buildCatalogue (c.xml, c.online);
        ASSERT_EQ (catalogue.getNumProducts(), 1) << c.name;
        EXPECT_EQ (catalogue.getProduct (0)->getTitle(), c.survivor) << c.name;
        EXPECT_EQ (catalogue.findProductById (7), catalogue.getProduct (0)) << c.name;
        EXPECT_EQ (catalogue.isOnline(), c.online) << c.name;
    }

    // Other ids are untouched by a run of duplicates.
    auto& catalogue = buildCatalogue ("<r>" + productXml (3, "X", "1", 2) + productXml (7, "A", "1", 1) + productXml (7, "B", "2", 1)
                                          + productXml (9, "Y", "1", 3) + "</r>",
                                      true);
    EXPECT_EQ (titlesInOrder (catalogue), juce::StringArray ("B", "X", "Y"));
}

TEST (ProductCatalogue, ReadsProductsInDisplayOrder)
{
    std::atomic<double> progress{ -1.0 };
    auto& catalogue = buildCatalogue ("<ROOT>" + productXml (1, "Third", "1", 3) + "<note/>" + productXml (2, "First", "1", 1)
                                          + "<PRODUCT id=\"3\"><Product_Title>Second</Product_Title><DISPLAY_ORDER>2</DISPLAY_ORDER></PRODUCT>"
                                          + "</ROOT>",
                                      true, &progress);

    EXPECT_EQ (titlesInOrder (catalogue), juce::StringArray ("First", "Second", "Third"));
    EXPECT_DOUBLE_EQ (progress.load(), 3.0 / 4.0) << "every child of the root counts in the denominator";
    EXPECT_EQ (catalogue.getProduct (3), nullptr);
    EXPECT_EQ (catalogue.getProduct (-1), nullptr);
    EXPECT_EQ (catalogue.findProductById (4), nullptr);

    auto* second = catalogue.findProductById (3);
    ASSERT_NE (second, nullptr);
    EXPECT_FLOAT_EQ (second->getLatestVersion(), 0.0f) << "a missing latest version reads as 0";

    // Two products among four children: the bar reads 0.25 after the first, 0.5 at the end.
    buildCatalogue ("<r><a/>" + productXml (1, "A", "1", 1) + "<b/></r>", true, &progress);
    EXPECT_DOUBLE_EQ (progress.load(), 1.0 / 3.0);
    buildCatalogue ("<r><a/>" + productXml (1, "A", "1", 1) + productXml (2, "B", "1", 2) + "<b/></r>", true, &progress);
    EXPECT_DOUBLE_EQ (progress.load(), 0.5);

    // No document: an empty catalogue, and the progress is left alone.
    progress = -1.0;
    catalogue.dropOnlineComponents();
    catalogue.dropOfflineComponents();
    catalogue.buildFromXml (&progress);
    EXPECT_EQ (catalogue.getNumProducts(), 0);
    EXPECT_DOUBLE_EQ (progress.load(), -1.0);

    // A product without an id is product 0.
    buildCatalogue ("<r><product><product_title>Nameless</product_title></product></r>", true);
    ASSERT_NE (catalogue.findProductById (0), nullptr);
    EXPECT_EQ (catalogue.findProductById (0)->getTitle(), "Nameless");
}

TEST (ProductCatalogue, ComponentsAndTheirArchiveAddresses)
{
    auto components = juce::String ("<component platform=\"MAC\" format=\"VST\">My Plug.vst</component>")
                      + "<component platform=\"mac\" format=\"AU\">Skipped.component</component>"
                      + "<component format=\"AU\">NoPlatform.component</component>"
                      + "<COMPONENT PLATFORM=\"MAC\" FORMAT=\"AU\" ACTION=\"REMOVE\">Old Plug.component</COMPONENT>"
                      + "<component platform=\"MAC\" format=\"RTAS\" action=\"remove\">Kept.dpm</component>";

    for (bool online : { true, false })
    {
        auto& catalogue = buildCatalogue ("<r>" + productXml (5, "P", "1.0", 1, components) + "</r>", online);
        auto* record = catalogue.findProductById (5);
        ASSERT_NE (record, nullptr);
        ASSERT_EQ (record->getNumComponents(), 3);

        auto* first = record->getComponent (0);
        EXPECT_EQ (first->name, "My Plug.vst");
        EXPECT_EQ (first->format, "VST");
        EXPECT_EQ (first->platform, "MAC");
        EXPECT_EQ (first->online, online);
        EXPECT_FALSE (first->remove);

        EXPECT_EQ (record->getComponent (1)->name, "Old Plug.component");
        EXPECT_TRUE (record->getComponent (1)->remove);
        EXPECT_FALSE (record->getComponent (2)->remove) << "\"REMOVE\" is compared exactly";

        if (online)
            EXPECT_EQ (first->url, repositoryBaseUrl + "components/MAC/My%20Plug.vst.zip");
        else
            EXPECT_EQ (first->url, "/opt/Quorvelan/PluginManagerOfflineRepository/components/MAC/My Plug.vst.zip");
    }

    auto& catalogue = ProductCatalogue::getInstance();
    EXPECT_EQ (catalogue.makeDownloadUrl (true, "A+B (x) %.vst"), repositoryBaseUrl + "components/MAC/A+B%20(x)%20%.vst.zip");

    catalogue.offlineRepositoryPath = "/Volumes/Disk/Components";
    EXPECT_EQ (catalogue.makeDownloadUrl (false, "A B"), "/Volumes/Disk/Components/components/MAC/A B.zip");
    catalogue.offlineRepositoryPath = {};
}

TEST (ProductCatalogue, InstallFoldersAndDefaultFolderTests)
{
    auto& catalogue = ProductCatalogue::getInstance();

    EXPECT_EQ (catalogue.getAuInstallFolder(), "/Library/Audio/Plug-Ins/Components/");
    EXPECT_EQ (catalogue.getVst64InstallFolder(), "");

    catalogue.setAuInstallFolder ("/Users/me/AU");
    EXPECT_EQ (catalogue.getAuInstallFolder(), "/Users/me/AU/");
    catalogue.setAuInstallFolder ({});
    EXPECT_EQ (catalogue.getAuInstallFolder(), "/Users/me/AU/") << "there is no way back to the default";
    catalogue.setVst64InstallFolder ("C:\\Plugins\\");
    EXPECT_EQ (catalogue.getVst64InstallFolder(), "C:\\Plugins\\");

    struct Case
    {
        const char* path;
        bool inVst;
    };

    for (auto c : { Case{ "/Library/Audio/Plug-Ins/VST", true }, Case{ "/Library/Audio/Plug-Ins/VST/", true },
                    Case{ "/Library/Audio/Plug-Ins/VST/Vendor/Sub", true }, Case{ "/Library/Audio/Plug-Ins/VST3", false },
                    Case{ "/Library/Audio/Plug-Ins/VST3/", false }, Case{ "/Library/Audio/Plug-Ins", false },
                    Case{ "", false }, Case{ "relative/VST", false } })
        EXPECT_EQ (catalogue.isInDefaultVstFolder (c.path), c.inVst) << c.path;

    EXPECT_TRUE (catalogue.isInDefaultAuFolder ("/Library/Audio/Plug-Ins/Components/X"));
    EXPECT_TRUE (catalogue.isInDefaultRtasFolder ("/Library/Application Support/Digidesign/Plug-Ins"));
    EXPECT_FALSE (catalogue.isInDefaultVst64Folder ("/"));
    EXPECT_FALSE (catalogue.isInDefaultVst64Folder ("/Library/Audio/Plug-Ins/VST"));
}

TEST (ProductCatalogue, FoundFoldersAreKeptOnceEach)
{
    auto& catalogue = ProductCatalogue::getInstance();
    auto before = catalogue.getNumFoundAuFolders();

    catalogue.addFoundAuFolder ("/tmp/found-au");
    catalogue.addFoundAuFolder ("/tmp/found-au/");
    catalogue.addFoundAuFolder ("C:\\found\\");

    ASSERT_EQ (catalogue.getNumFoundAuFolders(), before + 2);
    EXPECT_EQ (catalogue.getFoundAuFolder (before), "/tmp/found-au/");
    EXPECT_EQ (catalogue.getFoundAuFolder (before + 1), "C:\\found\\");
    EXPECT_EQ (catalogue.getFoundAuFolder (before + 2), "");
    EXPECT_EQ (catalogue.getFoundAuFolder (-1), "");

    // A rebuild keeps them.
    buildCatalogue ("<r/>", true);
    EXPECT_EQ (catalogue.getNumFoundAuFolders(), before + 2);
}

//==============================================================================
// These use the program's own folders, inside a private mount namespace.

TEST (CatalogueOnSystemPaths, ScanFindsInstalledBundlesAndBuildsBulkTasks)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    const juce::File vst (getDefaultVstFolder()), au (getDefaultAuFolder());
    BundleFixtures::writeBundleWithVersion (vst, "Alpha.vst", "1.1");
    BundleFixtures::writeBundleWithVersion (au.getChildFile ("Vendor"), "Alpha.component", "1.2");
    BundleFixtures::writeBundleWithVersion (vst, "Beta.vst", "2.0");

    auto components = [] (const juce::String& name)
    { return componentXml ("VST", name + ".vst") + componentXml ("AU", name + ".component"); };

    auto& catalogue = buildCatalogue ("<r>" + productXml (1, "Alpha", "1.2", 1, components ("Alpha"))
                                          + productXml (2, "Beta", "2.0", 2, components ("Beta"))
                                          + productXml (3, "Gamma", "1.0", 3, components ("Gamma")) + "</r>",
                                      true);

    auto* alpha = catalogue.findProductById (1);
    ASSERT_NE (alpha, nullptr);
    EXPECT_TRUE (alpha->isFullyInstalled());
    EXPECT_EQ (alpha->getAuFolder(), "/Library/Audio/Plug-Ins/Components/Vendor/");
    EXPECT_EQ (alpha->getOutOfDateFormats(), juce::StringArray ("VST"));

    bool foundVendorFolder = false;
    for (int i = 0; i < catalogue.getNumFoundAuFolders(); ++i)
        foundVendorFolder |= catalogue.getFoundAuFolder (i) == "/Library/Audio/Plug-Ins/Components/Vendor/";
    EXPECT_TRUE (foundVendorFolder);
    EXPECT_EQ (catalogue.getNumFoundVstFolders(), 1) << "one folder, found for two products";

    EXPECT_TRUE (catalogue.anyInstalled());
    EXPECT_TRUE (catalogue.anyNotFullyInstalled());
    EXPECT_TRUE (catalogue.anyUpdateAvailable());

    juce::OwnedArray<InstallTask> tasks;
    tasks.add (new InstallTask (99, {}, {}));

    ASSERT_TRUE (catalogue.buildUninstallAllTasks (tasks));
    ASSERT_EQ (tasks.size(), 2);
    EXPECT_EQ (tasks[0]->productId, 1);
    EXPECT_EQ (tasks[0]->formats, juce::StringArray ("VST", "AU"));
    EXPECT_EQ (tasks[0]->locations.au, "/Library/Audio/Plug-Ins/Components/Vendor/");
    EXPECT_EQ (tasks[1]->productId, 2);
    EXPECT_EQ (tasks[1]->formats, juce::StringArray ("VST"));

    ASSERT_TRUE (catalogue.buildInstallAllTasks (tasks));
    ASSERT_EQ (tasks.size(), 2);
    EXPECT_EQ (tasks[0]->productId, 2);
    EXPECT_EQ (tasks[0]->formats, juce::StringArray ("AU"));
    EXPECT_EQ (tasks[1]->productId, 3);
    EXPECT_EQ (tasks[1]->formats, juce::StringArray ("VST", "AU"));

    ASSERT_TRUE (catalogue.buildUpdateAllTasks (tasks));
    ASSERT_EQ (tasks.size(), 1);
    EXPECT_EQ (tasks[0]->formats, juce::StringArray ("VST"));
    EXPECT_EQ (tasks[0]->locations.vst, "/Library/Audio/Plug-Ins/VST/");

    // After an uninstall the folder found before stays listed.
    juce::File (getDefaultVstFolder()).deleteRecursively();
    juce::File (getDefaultAuFolder()).deleteRecursively();
    catalogue.buildFromXml (nullptr);
    EXPECT_FALSE (catalogue.anyInstalled());
    EXPECT_FALSE (catalogue.buildUninstallAllTasks (tasks));
    EXPECT_TRUE (tasks.isEmpty());
    EXPECT_EQ (catalogue.getNumFoundVstFolders(), 1);
}

TEST (CatalogueOnSystemPaths, OfflineRepository)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    auto& catalogue = ProductCatalogue::getInstance();
    const juce::File file ("/opt/Quorvelan/PluginManagerOfflineRepository/components.xml");

    EXPECT_FALSE (catalogue.tryOfflineRepository());
    EXPECT_FALSE (catalogue.isRepositoryFound());
    EXPECT_FALSE (catalogue.hasOfflineComponents());

    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (file.replaceWithText ("<r>" + productXml (4, "Disk", "1.0", 1, componentXml ("AU", "D.component")) + "</r>"));

    EXPECT_TRUE (catalogue.tryOfflineRepository());
    EXPECT_TRUE (catalogue.isRepositoryFound());
    catalogue.dropOnlineComponents();
    catalogue.buildFromXml (nullptr);
    ASSERT_EQ (catalogue.getNumProducts(), 1);
    EXPECT_FALSE (catalogue.getProduct (0)->isOnline());
    EXPECT_EQ (catalogue.getProduct (0)->getComponent (0)->url,
               "/opt/Quorvelan/PluginManagerOfflineRepository/components/MAC/D.component.zip");

    // Present but unreadable: found, and an empty catalogue.
    ASSERT_TRUE (file.replaceWithText ("<r><product"));
    EXPECT_TRUE (catalogue.loadOfflineRepository());
    EXPECT_TRUE (catalogue.isRepositoryFound());
    EXPECT_FALSE (catalogue.hasOfflineComponents());
    catalogue.buildFromXml (nullptr);
    EXPECT_EQ (catalogue.getNumProducts(), 0);

    // Nested deeper than the parser may recurse: unreadable too, and no crash.
    ASSERT_TRUE (file.replaceWithText ("<r>" + juce::String::repeatedString ("<p>", 100000) + juce::String::repeatedString ("</p>", 100000) + "</r>"));
    EXPECT_TRUE (catalogue.loadOfflineRepository());
    EXPECT_FALSE (catalogue.hasOfflineComponents());

    ASSERT_TRUE (file.deleteFile());
    EXPECT_FALSE (catalogue.loadOfflineRepository());
    EXPECT_FALSE (catalogue.isRepositoryFound());
}
