#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/BundleIndex.h"
#include "catalogue/InstalledBundles.h"

#include <unistd.h>

namespace
{
// Every name asked of the scans below: plain names, case variants, wildcard patterns, lists,
// blanks, quotes and non-ASCII names.
const char* const askedNames[] = {
    "Alpha.vst",
    "alpha.VST",
    "ALPHA.vst",
    "Beta.vst",
    "beta.vst",
    "Gamma.vst",
    "Delta.component",
    "MiXed.vst",
    "mixed.vst",
    "CaseTop.VST",
    "casetop.vst",
    ".Hidden.vst",
    "Plain.vst",
    "Missing.vst",
    "Contents",
    "Deep",
    "Be?a.vst",
    "Gam*",
    "*.component",
    "[AB]lpha.vst",
    "Alpha\\.vst",
    "Missing.vst;Beta.vst",
    "Beta.vst,Alpha.vst",
    " Beta.vst",
    "Beta.vst ",
    "\"Beta.vst\"",
    "'Gamma.vst'",
    ";",
    " ",
    "\xc3\x9cber.vst",
    "\xc3\xbc"
    "ber.vst",
    "Looped.vst",
    "Vendor",
    "...",
    "..",
    ".",
    "Epsilon.vst",
    "Zeta.vst",
    "Shortcut",
    "Loop",
};

void makeFolders (const juce::File& root, std::initializer_list<const char*> paths)
{
    for (auto* path : paths)
        ASSERT_TRUE (root.getChildFile (juce::String::fromUTF8 (path)).createDirectory()) << path;
}

void expectSameAnswers (BundleIndex& index, const juce::String& folder, const char* when)
{
    for (auto* name : askedNames)
    {
        const auto bundleName = juce::String::fromUTF8 (name);
        EXPECT_EQ (index.findBundleFolder (folder, bundleName), findBundleFolder (folder, bundleName))
            << when << ": \"" << name << "\" in " << folder;
    }
}
} // namespace

TEST (BundleIndex, AnswersAsAFreshWalkOfTheTree)
{
    BundleFixtures::ScratchFolder scratch;
    const auto plugIns = scratch.getChild ("Plug-Ins");
    const auto root = scratch.getPath ("Plug-Ins");

    // Duplicates in several branches and depths, case variants, hidden and deep folders, a file
    // where a bundle could be, links inside the tree and back to its top.
    makeFolders (plugIns, { "Alpha.vst/Contents", "CaseTop.VST", "Vendor/Alpha.vst/Contents", "Vendor/Deep/Beta.vst",
                            "Other/Beta.vst", "Other/alpha.VST", "Vendor/Deep/Deeper/Gamma.vst/Contents/MacOS",
                            "Suite/Gamma.vst", "Suite/Sub/Delta.component", ".Hidden.vst", "Vendor/.Secret/MiXed.vst",
                            "\xc3\x9c"
                            "ber.vst",
                            "Nested/\xc3\xbc"
                            "ber.vst",
                            "Nested/Contents/Deep" });
    ASSERT_TRUE (plugIns.getChildFile ("Plain.vst").create());
    ASSERT_EQ (symlink (plugIns.getChildFile ("Vendor/Deep").getFullPathName().toRawUTF8(),
                        plugIns.getChildFile ("Shortcut").getFullPathName().toRawUTF8()),
               0);
    ASSERT_EQ (symlink (plugIns.getFullPathName().toRawUTF8(), plugIns.getChildFile ("Suite/Loop").getFullPathName().toRawUTF8()), 0);

    BundleIndex firstScan;
    expectSameAnswers (firstScan, root, "first scan");
    expectSameAnswers (firstScan, root.dropLastCharacters (1), "folder without its closing separator");
    expectSameAnswers (firstScan, scratch.getPath ("Plug-Ins/Vendor"), "a folder inside an indexed one");

    // The cases are not all alike: found directly, found below, not found.
    EXPECT_EQ (firstScan.findBundleFolder (root, "Alpha.vst"), root);
    EXPECT_EQ (firstScan.findBundleFolder (root, "casetop.vst"), root) << "the direct step ignores case";
    EXPECT_EQ (firstScan.findBundleFolder (root, "Delta.component"), scratch.getPath ("Plug-Ins/Suite/Sub"));
    EXPECT_EQ (firstScan.findBundleFolder (root, "mixed.vst"), "/") << "the tree step does not";
    EXPECT_EQ (firstScan.findBundleFolder (root, "Missing.vst"), "/");

    // Folders the scan never walks.
    for (auto folder : { juce::String(), juce::String ("relative/"), scratch.getPath ("Nowhere"), scratch.getPath ("Plug-Ins/Plain.vst") })
        EXPECT_EQ (firstScan.findBundleFolder (folder, "Alpha.vst"), "/") << folder;

    EXPECT_EQ (firstScan.findBundleFolder (root, ""), "/");

    // Bundles added after a scan: the next scan sees them, as a fresh walk does.
    makeFolders (plugIns, { "Late/Epsilon.vst", "Missing.vst" });
    makeFolders (plugIns, { "Vendor/Deep/Zeta.vst" });

    BundleIndex secondScan;
    expectSameAnswers (secondScan, root, "second scan");
    EXPECT_EQ (secondScan.findBundleFolder (root, "Epsilon.vst"), scratch.getPath ("Plug-Ins/Late"));
    EXPECT_EQ (secondScan.findBundleFolder (root, "Missing.vst"), root);
    EXPECT_EQ (secondScan.findBundleFolder (root, "Zeta.vst"), scratch.getPath ("Plug-Ins/Vendor/Deep"));
}
