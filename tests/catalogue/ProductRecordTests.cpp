#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/ProductRecord.h"
#include "localisation/Languages.h"

namespace
{
struct Component
{
    juce::String name, format, platform = "MAC";
    bool remove = false;
};

class InstalledScan : public testing::Test
{
protected:
    void SetUp() override
    {
        setLanguage (0);

        useFolders (scratch);
    }

    // Points the scan at the four format folders of a scratch folder.
    void useFolders (const BundleFixtures::ScratchFolder& root)
    {
        folders.rtas = root.getPath ("RTAS");
        folders.vst = root.getPath ("VST");
        folders.vst64 = root.getPath ("VST64");
        folders.au = root.getPath ("AU");

        for (auto format : { "RTAS", "VST", "VST64", "AU" })
            root.getChild (format).createDirectory();
    }

    void install (const juce::String& folderPath, const juce::String& version)
    {
        auto file = scratch.getChild (folderPath);
        BundleFixtures::writeBundleWithVersion (file.getParentDirectory(), file.getFileName(), version);
    }

    std::unique_ptr<ProductRecord> scan (const std::vector<Component>& list, float latest = 1.2f)
    {
        juce::OwnedArray<ComponentRecord> components;

        for (auto& c : list)
            components.add (new ComponentRecord (c.name, c.format, c.platform, "url/" + c.name, true, c.remove));

        auto product = std::make_unique<ProductRecord> (7, "Alpha", 3, std::move (components), true, latest);
        product->refreshInstalledState (folders, [this] (const juce::String& format, const juce::String& folder)
                                        { finds.add (format + " " + folder); });
        return product;
    }

    BundleFixtures::ScratchFolder scratch;
    FormatLocations folders;
    juce::StringArray finds;
};

juce::String highestText (const ProductRecord& product, float& version)
{
    juce::String text ("unchanged");
    version = product.getHighestInstalledVersion (text);
    return text;
}
} // namespace

TEST_F (InstalledScan, RecordsEachFormatWhereItWasFound)
{
    install ("AU/Vendor/Alpha.component", "1.1");
    install ("VST/Alpha.vst", "1.3");
    install ("VST64/Alpha64.vst", "1.0");
    install ("RTAS/Alpha.dpm", "1.2");

    auto product = scan ({ { "Alpha.component", "AU" }, { "Alpha.vst", "VST" }, { "Alpha64.vst", "VST64" }, { "Alpha.dpm", "RTAS" } });

    EXPECT_EQ (finds, juce::StringArray ("AU " + scratch.getPath ("AU/Vendor"), "VST " + folders.vst, "VST64 " + folders.vst64, "RTAS " + folders.rtas));
    EXPECT_EQ (product->getAuFolder(), scratch.getPath ("AU/Vendor"));
    EXPECT_EQ (product->getVstFolder(), folders.vst);
    EXPECT_EQ (product->getInstalledFolders().rtas, folders.rtas);

    EXPECT_EQ (juce::StringArray (product->getAuVersionText(), product->getVstVersionText(), product->getVst64VersionText(), product->getRtasVersionText()),
               juce::StringArray ("v1.10", "v1.30", "v1.00", "v1.20"));
    EXPECT_FLOAT_EQ (product->getComponent (0)->installedVersion, 1.1f);
    EXPECT_FLOAT_EQ (product->getVst64Version(), 1.0f);
    EXPECT_TRUE (product->isAnyInstalled() && product->isFullyInstalled() && product->isVst64Installed() && product->isRtasInstalled());

    EXPECT_EQ (product->getOutOfDateComponents(), juce::Array<int> (0, 2));
    EXPECT_EQ (product->getOutOfDateFormats(), juce::StringArray ("AU", "VST64"));
    EXPECT_TRUE (product->isAuUpdateAvailable());
    EXPECT_FALSE (product->isVstUpdateAvailable());
    EXPECT_TRUE (product->isVst64UpdateAvailable());

    float highest = 0;
    EXPECT_EQ (highestText (*product, highest), "v1.30");
    EXPECT_FLOAT_EQ (highest, 1.3f);
}

TEST_F (InstalledScan, OutOfDateFormatsListedOnceAndObsoleteFilesCount)
{
    install ("VST/One.vst", "1.1");
    install ("VST/Two.vst", "1.0");
    install ("VST/Old.vst", "0.9");

    auto product = scan ({ { "One.vst", "VST" }, { "Missing.vst", "VST" }, { "Two.vst", "VST" }, { "Old.vst", "VST", "MAC", true }, { "Gone.vst", "VST" } });

    EXPECT_EQ (product->getOutOfDateComponents(), juce::Array<int> (0, 2, 3));
    EXPECT_EQ (product->getOutOfDateFormats(), juce::StringArray ("VST"));
    EXPECT_EQ (product->getVstVersionText(), "v0.90") << "the last find of a format stands; a miss changes nothing";
    EXPECT_EQ (product->getComponent (1)->installedVersion, 0.0f);
    EXPECT_FLOAT_EQ (product->getComponent (3)->installedVersion, 0.9f);
    EXPECT_TRUE (product->isVstUpdateAvailable());
    EXPECT_EQ (finds.size(), 3);
}

TEST_F (InstalledScan, NothingFoundReadsNotInstalled)
{
    install ("VST/Alpha.vst", "abc");

    auto product = scan ({ { "Alpha.vst", "VST" }, { "Alpha.component", "AU" } });

    EXPECT_EQ (juce::StringArray (product->getRtasVersionText(), product->getAuVersionText(), product->getVstVersionText(), product->getVst64VersionText()),
               juce::StringArray ("not installed", "not installed", "not installed", "not installed"));
    EXPECT_EQ (product->getLatestVersionText(), "v1.20");
    EXPECT_FALSE (product->isAnyInstalled() || product->isInstalled());
    EXPECT_TRUE (finds.isEmpty());
    EXPECT_EQ (product->getInstalledFolders().vst, "");
    EXPECT_EQ (product->getMissingFormats(), juce::StringArray ("VST", "AU"));

    float highest = -1;
    EXPECT_EQ (highestText (*product, highest), "unchanged");
    EXPECT_EQ (highest, 0.0f);

    setLanguage (1);
    product->refreshInstalledState (folders, {});
    EXPECT_EQ (product->getAuVersionText(), "no instalado");
    setLanguage (0);
}

TEST_F (InstalledScan, FormatsWithoutAFolderAreNotSearched)
{
    // With no folder for VST64 a bundle in the working folder or at an absolute name must not count.
    install ("Cwd/Alpha64.vst", "1.0");
    install ("Elsewhere/Absolute.vst", "1.0");
    auto previous = juce::File::getCurrentWorkingDirectory();
    scratch.getChild ("Cwd").setAsCurrentWorkingDirectory();
    folders.vst64 = {};

    auto product = scan ({ { "Alpha64.vst", "VST64" }, { scratch.getChild ("Elsewhere/Absolute.vst").getFullPathName(), "VST64" }, { "Alpha64.vst", "AAX" } });
    previous.setAsCurrentWorkingDirectory();

    EXPECT_FALSE (product->isVst64Installed() || product->isAnyInstalled());
    EXPECT_EQ (product->getVst64VersionText(), "not installed");
    EXPECT_TRUE (finds.isEmpty());
}

TEST_F (InstalledScan, NameTheSearchMissesKeepsItsRealFolder)
{
    // A comma splits the name into two search patterns; the bundle is still read where it is.
    install ("VST/Alpha, Beta.vst", "1.1");

    auto product = scan ({ { "Alpha, Beta.vst", "VST" } });

    EXPECT_TRUE (product->isVstInstalled());
    EXPECT_EQ (product->getVstFolder(), folders.vst);
    EXPECT_EQ (finds, juce::StringArray ("VST " + folders.vst));
}

TEST_F (InstalledScan, RescanForgetsWhatWasRemoved)
{
    install ("VST/Alpha.vst", "1.1");
    auto product = scan ({ { "Alpha.vst", "VST" } });
    ASSERT_TRUE (product->isVstInstalled());

    scratch.getChild ("VST/Alpha.vst").deleteRecursively();
    product->refreshInstalledState (folders, {});

    EXPECT_FALSE (product->isVstInstalled() || product->isAnyInstalled());
    EXPECT_EQ (product->getVstVersion(), 0.0f);
    EXPECT_EQ (product->getVstFolder(), "");
    EXPECT_TRUE (product->getOutOfDateComponents().isEmpty());
    EXPECT_TRUE (product->getOutOfDateFormats().isEmpty());
}

TEST_F (InstalledScan, TooltipsAndHighestVersion)
{
    struct Case
    {
        const char *au, *vst, *vst64;
        juce::String tooltip, highestText;
        float highest;
    };

    const Case cases[] = {
        { nullptr, "1.1", nullptr, "Latest Version: v1.20\nInstalled Version: (AU) not installed\nInstalled Version: (VST) v1.10\n", "v1.10", 1.1f },
        { "1.1", "1.1", nullptr, "Latest Version: v1.20\nInstalled Version: v1.10\n", "v1.10", 1.1f },
        { "1.1", "1.2", nullptr, "Latest Version: v1.20\nInstalled Version: (AU) v1.10\nInstalled Version: (VST) v1.20\n", "v1.20", 1.2f },
        { "1", "1.0", "1.00", "Latest Version: v1.20\nInstalled Version: v1.00\n", "v1.00", 1.0f },
        { nullptr, nullptr, "2", "Latest Version: v1.20\nInstalled Version: not installed\n", "v2.00", 2.0f },
    };

    for (auto& c : cases)
    {
        BundleFixtures::ScratchFolder caseFolder;
        useFolders (caseFolder);

        for (auto [version, folder] : { std::pair (c.au, "AU"), std::pair (c.vst, "VST"), std::pair (c.vst64, "VST64") })
            if (version != nullptr)
                BundleFixtures::writeBundleWithVersion (caseFolder.getChild (folder), "Alpha", version);

        auto product = scan ({ { "Alpha", "AU" }, { "Alpha", "VST" }, { "Alpha", "VST64" } });
        float highest = 0;

        EXPECT_EQ (product->getVersionTooltip(), c.tooltip);
        EXPECT_EQ (highestText (*product, highest), c.highestText);
        EXPECT_FLOAT_EQ (highest, c.highest);
    }
}

TEST_F (InstalledScan, InstalledAndMissingFormats)
{
    struct Case
    {
        std::vector<const char*> installed;
        juce::StringArray installedFormats, missingFormats;
        bool isInstalled, isFullyInstalled;
    };

    const Case cases[] = {
        { { "VST64" }, { "VST64" }, { "VST", "AU" }, false, false },
        { { "AU", "RTAS" }, { "AU" }, { "VST" }, true, false },
        { { "AU", "VST", "VST64" }, { "VST", "AU", "VST64" }, {}, true, true },
    };

    for (auto& c : cases)
    {
        BundleFixtures::ScratchFolder caseFolder;
        useFolders (caseFolder);

        for (auto format : c.installed)
            BundleFixtures::writeBundleWithVersion (caseFolder.getChild (format), "Alpha", "1.0");

        auto product = scan ({ { "Alpha", "RTAS" }, { "Alpha", "AU" }, { "Alpha", "VST" }, { "Alpha", "VST64" } });

        EXPECT_EQ (product->getInstalledFormats(), c.installedFormats);
        EXPECT_EQ (product->getMissingFormats(), c.missingFormats);
        EXPECT_EQ (product->isInstalled(), c.isInstalled);
        EXPECT_EQ (product->isFullyInstalled(), c.isFullyInstalled);
    }
}

TEST (ProductRecord, ComponentsForFormats)
{
    juce::OwnedArray<ComponentRecord> components;
    components.add (new ComponentRecord ("A.vst", "VST", "MAC", "u1", true, false));
    components.add (new ComponentRecord ("A.component", "AU", "MAC", "u2", true, false));
    components.add (new ComponentRecord ("Old.vst", "VST", "MAC", "u3", true, true));
    components.add (new ComponentRecord ("A.dll", "VST", "WIN", "u4", true, false));
    components.add (new ComponentRecord ("a.vst", "vst", "MAC", "u5", true, false));

    ProductRecord product (3, "A", 1, std::move (components), false, 2.0f);

    auto names = [&] (const juce::StringArray& formats, std::vector<ComponentRecord*> list = {})
    {
        auto appended = product.getComponentsForFormats (list, formats);
        juce::StringArray result;

        for (auto* c : list)
            result.add (c != nullptr ? c->name : "(prior)");

        return (appended ? "yes: " : "no: ") + result.joinIntoString (" ");
    };

    EXPECT_EQ (names ({ "VST" }), "yes: A.vst Old.vst");
    EXPECT_EQ (names ({ "AU", "VST" }), "yes: A.component A.vst Old.vst");
    EXPECT_EQ (names ({ "AU", "AU" }), "yes: A.component A.component");
    EXPECT_EQ (names ({ "RTAS", "VST64", "Vst" }), "no: ");
    EXPECT_EQ (names ({}, { nullptr }), "no: (prior)");
    EXPECT_EQ (names ({ "AU" }, { nullptr }), "yes: (prior) A.component");
    EXPECT_EQ (product.getComponent (2)->url, "u3");
    EXPECT_TRUE (product.getComponent (2)->remove);
}
