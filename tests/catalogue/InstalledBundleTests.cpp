#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/InstalledBundles.h"
#include "catalogue/PluginFolders.h"

#include <unistd.h>

using BundleFixtures::makePlistText;

namespace
{
juce::String plistBody (const juce::String& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body;
}

// Python's plistlib.dumps ({"CFBundleShortVersionString": "1.5"}, fmt=FMT_BINARY).
const unsigned char binaryPlist[] = {
    'b', 'p', 'l', 'i', 's', 't', '0', '0', 0xd1, 0x01, 0x02, 0x5f, 0x10, 0x1a, 'C', 'F', 'B', 'u', 'n', 'd',
    'l', 'e', 'S', 'h', 'o', 'r', 't', 'V', 'e', 'r', 's', 'i', 'o', 'n', 'S', 't', 'r', 'i', 'n', 'g',
    0x53, '1', '.', '5', 0x08, 0x0b, 0x28, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2c
};
} // namespace

TEST (BundleVersion, FirstVersionKeyOfTheTopDictionaryWins)
{
    BundleFixtures::ScratchFolder scratch;

    struct Case
    {
        const char* label;
        juce::String plist;
        float expected;
    };

    const Case cases[] = {
        { "plistlib, short version first", makePlistText ({ { "CFBundleIdentifier", "com.quorvelan.alpha" }, { "CFBundleShortVersionString", "1.5" }, { "CFBundleVersion", "150" } }), 1.5f },
        { "bundle version first", makePlistText ({ { "CFBundleVersion", "150" }, { "CFBundleShortVersionString", "1.5" } }), 150.0f },
        { "leading number only", makePlistText ({ { "CFBundleVersion", "2.1.3" } }), 2.1f },
        { "leading blanks", makePlistText ({ { "CFBundleVersion", "  1.25 beta" } }), 1.25f },
        { "not a number", makePlistText ({ { "CFBundleVersion", "abc" } }), 0.0f },
        { "not finite", makePlistText ({ { "CFBundleVersion", "nan" } }), 0.0f },
        { "beyond float", makePlistText ({ { "CFBundleVersion", "1e40" } }), 0.0f },
        { "key text not exact", makePlistText ({ { "cfbundleversion", "1.0" }, { " CFBundleVersion", "1.0" } }), 0.0f },
        { "neither key", makePlistText ({ { "CFBundleName", "Alpha" } }), 0.0f },
        { "tags in capitals", plistBody ("<PLIST><DICT><KEY>CFBundleVersion</KEY><STRING>3.5</STRING></DICT></PLIST>"), 3.5f },
        { "value of any tag", plistBody ("<plist><dict><key>CFBundleVersion</key><real>4.25</real></dict></plist>"), 4.25f },
        { "text before the value", plistBody ("<plist><dict><key>CFBundleVersion</key>junk<string>1.75</string></dict></plist>"), 1.75f },
        { "key is the last element", plistBody ("<plist><dict><key>CFBundleVersion</key></dict></plist>"), 0.0f },
        { "key in a nested dict", plistBody ("<plist><dict><key>Sub</key><dict><key>CFBundleVersion</key><string>2</string></dict></dict></plist>"), 0.0f },
        { "second dict not read", plistBody ("<plist><array/><dict/><dict><key>CFBundleVersion</key><string>2</string></dict></plist>"), 0.0f },
        { "root not plist", plistBody ("<dict><key>CFBundleVersion</key><string>2</string></dict>"), 0.0f },
        { "plist without dict", plistBody ("<plist><array/></plist>"), 0.0f },
        { "not XML", "CFBundleVersion = 2.0", 0.0f },
        { "empty file", "", 0.0f },
    };

    for (auto& c : cases)
    {
        auto plist = BundleFixtures::writeBundle (scratch.getFile(), "Case.vst", c.plist);
        EXPECT_FLOAT_EQ (readBundleVersion (plist.getFullPathName()), c.expected) << c.label;
    }

    auto binary = scratch.getChild ("Binary.plist");
    ASSERT_TRUE (binary.replaceWithData (binaryPlist, sizeof (binaryPlist)));
    EXPECT_EQ (readBundleVersion (binary.getFullPathName()), 0.0f) << "binary plist";

    EXPECT_EQ (readBundleVersion (scratch.getChild ("Missing.vst/Contents/Info.plist").getFullPathName()), 0.0f);

    auto folderNamedLikeThePlist = scratch.getChild ("Odd.vst/Contents/Info.plist");
    ASSERT_TRUE (folderNamedLikeThePlist.createDirectory());
    EXPECT_EQ (readBundleVersion (folderNamedLikeThePlist.getFullPathName()), 0.0f);
}

TEST (BundleFolder, DirectChildFirstThenAnywhereBelow)
{
    BundleFixtures::ScratchFolder scratch;
    auto root = scratch.getPath ("Plug-Ins");

    for (auto path : { "Alpha.vst", ".Hidden.vst", "Vendor/Beta.vst", "Vendor/Deep/Gamma.vst", "Vendor/Alpha.vst" })
        ASSERT_TRUE (scratch.getChild ("Plug-Ins").getChildFile (path).createDirectory());

    ASSERT_TRUE (scratch.getChild ("Plug-Ins/Plain.vst").create());

    const std::pair<const char*, juce::String> cases[] = {
        { "Alpha.vst", root },
        { ".Hidden.vst", root },
        { "Beta.vst", scratch.getPath ("Plug-Ins/Vendor") },
        { "Gamma.vst", scratch.getPath ("Plug-Ins/Vendor/Deep") },
        { "Be?a.vst", scratch.getPath ("Plug-Ins/Vendor") },
        { "Gam*", scratch.getPath ("Plug-Ins/Vendor/Deep") },
        { "Plain.vst", "/" },
        { "Missing.vst", "/" },
        { "", "/" },
    };

    for (auto& [name, expected] : cases)
        EXPECT_EQ (findBundleFolder (root, name), expected) << name;

    EXPECT_EQ (findBundleFolder (root.dropLastCharacters (1), "Alpha.vst"), root);
    EXPECT_EQ (findBundleFolder (scratch.getPath ("Nowhere"), "Alpha.vst"), "/");
    EXPECT_EQ (findBundleFolder ("", "Alpha.vst"), "/") << "an empty folder is no search of the whole disk";
}

TEST (BundleFolder, LinksAreNeitherFollowedNorFound)
{
    BundleFixtures::ScratchFolder scratch;
    auto plugIns = scratch.getChild ("Plug-Ins");
    ASSERT_TRUE (scratch.getChild ("Elsewhere/Linked.vst").createDirectory());
    ASSERT_TRUE (scratch.getChild ("Elsewhere/Target.vst").createDirectory());
    ASSERT_TRUE (plugIns.getChildFile ("Real/Deep.vst").createDirectory());

    // Two links back to the folder itself: walked blindly, the tree never ends.
    for (auto link : { "Loop1", "Loop2" })
        ASSERT_TRUE (juce::File::createSymbolicLink (plugIns.getChildFile (link), plugIns.getFullPathName(), false));

    // A folder and a bundle that lead out of the tree.
    ASSERT_TRUE (juce::File::createSymbolicLink (plugIns.getChildFile ("Vendor"), scratch.getPath ("Elsewhere"), false));
    ASSERT_TRUE (juce::File::createSymbolicLink (plugIns.getChildFile ("Target.vst"), scratch.getPath ("Elsewhere/Target.vst"), false));

    EXPECT_EQ (findBundleFolder (scratch.getPath ("Plug-Ins"), "Missing.vst"), "/");
    EXPECT_EQ (findBundleFolder (scratch.getPath ("Plug-Ins"), "Linked.vst"), "/") << "not searched through the link";
    EXPECT_EQ (findBundleFolder (scratch.getPath ("Plug-Ins"), "Target.vst"), "/") << "a link is not the bundle";
    EXPECT_EQ (findBundleFolder (scratch.getPath ("Plug-Ins"), "Deep.vst"), scratch.getPath ("Plug-Ins/Real"));
}

TEST (PluginFolders, StandardFoldersAndTemp)
{
    EXPECT_EQ (getDefaultRtasFolder(), "/Library/Application Support/Digidesign/Plug-Ins/");
    EXPECT_EQ (getDefaultVstFolder(), "/Library/Audio/Plug-Ins/VST/");
    EXPECT_EQ (getDefaultVst64Folder(), "");
    EXPECT_EQ (getDefaultAuFolder(), "/Library/Audio/Plug-Ins/Components/");

    auto defaults = getDefaultPluginFolders();
    EXPECT_EQ (juce::StringArray (defaults.rtas, defaults.vst, defaults.vst64, defaults.au),
               juce::StringArray (getDefaultRtasFolder(), getDefaultVstFolder(), "", getDefaultAuFolder()));

    auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    EXPECT_EQ (getTempFolderPath(), home.getChildFile (".config/Quorvelan/temp").getFullPathName());
}
