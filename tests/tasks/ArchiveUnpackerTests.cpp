#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "platform/PlatformFiles.h"
#include "tasks/ArchiveUnpacker.h"

namespace
{
// A folder to lay out a bundle in, an archive made of it by Info-ZIP (links stored as links),
// and the temporary folder it is unpacked into.
class Unpacking : public testing::Test
{
protected:
    juce::File source() const { return scratch.getChild ("source"); }
    juce::File archive() const { return scratch.getChild ("archive.zip"); }
    juce::String temp() const { return scratch.getChild ("temp").getFullPathName(); }

    void SetUp() override
    {
        ASSERT_TRUE (source().createDirectory());
        ASSERT_TRUE (juce::File (temp()).createDirectory());
    }

    // Paths joined as text: the framework would read a leading "~" as the home folder.
    juce::File inSource (const juce::String& path) const { return juce::File (source().getFullPathName() + "/" + path); }

    void writeFile (const juce::String& path, const juce::String& text)
    {
        auto file = inSource (path);
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (file.replaceWithText (text));
    }

    void writeLink (const juce::String& path, const juce::String& target)
    {
        auto file = inSource (path);
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (juce::File::createSymbolicLink (file, target, false));
    }

    // Zips the named top entries of the source folder; extra options go to zip.
    void zip (const juce::String& entries, const juce::String& options = "-y")
    {
        ASSERT_TRUE (BundleFixtures::zipWithInfoZip (source(), entries, archive(), options));
    }

    bool unpack (const juce::String& componentName)
    {
        juce::FileInputStream stream (archive());
        return stream.openedOk() && ArchiveUnpacker::unpack (stream, temp(), componentName);
    }

    juce::String inTemp (const juce::String& path) const { return temp() + "/" + path; }

    BundleFixtures::ScratchFolder scratch;
};
} // namespace

TEST_F (Unpacking, LinksInsideTheBundleUnpackAndLinksOutAreRefused)
{
    // A framework-style bundle: links that stay inside it, as real bundles have.
    writeFile ("Good.vst/Contents/Info.plist", "<plist/>");
    writeFile ("Good.vst/Contents/Versions/A/code", "code");
    writeLink ("Good.vst/Contents/Versions/Current", "A");
    writeLink ("Good.vst/Contents/Code", "Versions/Current/code");
    zip ("Good.vst");

    EXPECT_TRUE (unpack ("Good.vst"));
    EXPECT_TRUE (PlatformFiles::isSymbolicLink (inTemp ("Good.vst/Contents/Code")));
    EXPECT_EQ (juce::File (inTemp ("Good.vst/Contents/Code")).loadFileAsString(), "code");
    EXPECT_EQ (juce::File (inTemp ("Good.vst/Contents/Versions/Current")).getLinkedTarget().getFileName(), "A");

    // Every way out of the bundle: absolute, up and out, up to a sibling, the top entry itself.
    const juce::StringArray outward{ "/Applications", "../../../Outside", "../../Good.vst/../Other", "/dev/zero" };

    for (auto& target : outward)
    {
        source().deleteRecursively();
        writeFile ("Evil.vst/Contents/Info.plist", "<plist/>");
        writeLink ("Evil.vst/Contents/Link", target);
        zip ("Evil.vst");

        EXPECT_FALSE (unpack ("Evil.vst")) << target;
        EXPECT_FALSE (PlatformFiles::existsWithoutFollowing (inTemp ("Evil.vst"))) << "nothing of it is kept: " << target;
    }

    source().deleteRecursively();
    ASSERT_TRUE (scratch.getChild ("Victim.app/Contents").createDirectory());
    writeLink ("Whole.vst", scratch.getChild ("Victim.app").getFullPathName());
    zip ("Whole.vst");
    EXPECT_FALSE (unpack ("Whole.vst")) << "a top entry that is a link is no bundle";
    EXPECT_FALSE (PlatformFiles::existsWithoutFollowing (inTemp ("Whole.vst")));
    EXPECT_TRUE (scratch.getChild ("Victim.app/Contents").isDirectory());

    EXPECT_TRUE (ArchiveUnpacker::isLinkInsideComponent (temp(), "A.vst/Contents/L", "../Contents/x", "A.vst"));
    EXPECT_FALSE (ArchiveUnpacker::isLinkInsideComponent (temp(), "A.vst/L", "..", "A.vst"));
    EXPECT_FALSE (ArchiveUnpacker::isLinkInsideComponent (temp(), "B.vst/L", "x", "A.vst"));
    EXPECT_FALSE (ArchiveUnpacker::isLinkInsideComponent (temp(), "A.vst/L", "", "A.vst"));
}

TEST_F (Unpacking, LinksAreFollowedThroughTheLinksAlreadyUnpacked)
{
    using Entry = BundleFixtures::RawZipEntry;
    const Entry plist{ "Dots.vst/Contents/Info.plist", "<plist/>" };

    struct Case
    {
        const char* what;
        std::vector<Entry> entries;
        bool whole;
    };

    const Case cases[] = {
        { "a link to its own folder, then one that walks up through it",
          { plist, { "Dots.vst/Contents/M", ".", true }, { "Dots.vst/Contents/Esc", "M/M/../../..", true } },
          false },
        { "the same links the other way round",
          { plist, { "Dots.vst/Contents/Esc", "M/M/../../..", true }, { "Dots.vst/Contents/M", ".", true } },
          false },
        { "a long walk through a link to its own folder",
          { plist, { "Dots.vst/Contents/M", ".", true }, { "Dots.vst/Contents/Root", "M/M/M/M/M/M/M/M/../../../../../../../../..", true } },
          false },
        { "an entry written through a link that would lead out",
          { plist, { "Dots.vst/L", "..", true }, { "Dots.vst/L/escaped", "x" } },
          false },
        { "an entry written through a link made to lead out afterwards",
          { plist, { "Dots.vst/Contents/Esc", "M/M/../../..", true }, { "Dots.vst/Contents/M", ".", true }, { "Dots.vst/Contents/Esc/escaped", "x" } },
          false },
        { "links that loop", { plist, { "Dots.vst/Contents/A", "B", true }, { "Dots.vst/Contents/B", "A", true } }, false },
        { "a link up and back down inside, through a link to its own folder",
          { plist, { "Dots.vst/Contents/M", ".", true }, { "Dots.vst/Contents/Up", "M/../Contents/Info.plist", true } },
          true },
    };

    for (auto& c : cases)
    {
        ASSERT_TRUE (juce::File (temp()).deleteRecursively() && juce::File (temp()).createDirectory());
        ASSERT_TRUE (BundleFixtures::writeRawZip (archive(), c.entries));

        EXPECT_EQ (unpack ("Dots.vst"), c.whole) << c.what;
        EXPECT_EQ (PlatformFiles::existsWithoutFollowing (inTemp ("Dots.vst")), c.whole) << c.what;
        EXPECT_FALSE (juce::File (inTemp ("escaped")).exists()) << c.what;
        EXPECT_FALSE (scratch.getChild ("escaped").exists()) << c.what;
    }

    EXPECT_EQ (juce::File (inTemp ("Dots.vst/Contents/Up")).loadFileAsString(), "<plist/>");
}

TEST_F (Unpacking, NamesThatAreNotUtf8OrOnlyDotsAreRefused)
{
    using Entry = BundleFixtures::RawZipEntry;
    const Entry plist{ "Fuzz.vst/Contents/Info.plist", "<plist/>" };

    const std::vector<Entry> bad[] = {
        { plist, { "Fuzz.vst/\xff\x82", "x" } },
        { plist, { ".\xaf", "x" } },
        { plist, { "Fuzz.vst/Contents/L", "(\xaf", true } },
        { plist, { "Fuzz.vst/\xc0\xaf", "overlong" } },
        { plist, { "Fuzz.vst/\xed\xa0\x80", "surrogate" } },
        { plist, { "Fuzz.vst/\xf4\x90\x80\x80", "above U+10FFFF" } },
        { plist, { "Fuzz.vst/Contents/L", "\xe2\x80", true } },
        { plist, { "Fuzz.vst/Contents/...", "only dots" } },
    };

    for (auto& entries : bad)
    {
        ASSERT_TRUE (juce::File (temp()).deleteRecursively() && juce::File (temp()).createDirectory());
        ASSERT_TRUE (BundleFixtures::writeRawZip (archive(), entries));

        EXPECT_FALSE (unpack ("Fuzz.vst")) << entries.back().name << " -> " << entries.back().data;
        EXPECT_FALSE (PlatformFiles::existsWithoutFollowing (inTemp ("Fuzz.vst")));
    }

    // A name of dots only beside the component is left out: the folder walk that clears the
    // temporary folder would pass it over.
    ASSERT_TRUE (BundleFixtures::writeRawZip (archive(), { plist, { ".............................", "x" } }));
    EXPECT_TRUE (unpack ("Fuzz.vst"));
    EXPECT_FALSE (PlatformFiles::existsWithoutFollowing (inTemp (".............................")));
    EXPECT_TRUE (juce::File (temp()).deleteRecursively() && juce::File (temp()).createDirectory());

    // Text beyond ASCII, well formed, is a name like any other.
    ASSERT_TRUE (BundleFixtures::writeRawZip (archive(), { plist, { "Fuzz.vst/Contents/\xc3\x9c"
                                                                    "ber \xf0\x9f\x8e\xb9",
                                                                    "x" } }));
    EXPECT_TRUE (unpack ("Fuzz.vst"));
    EXPECT_TRUE (juce::File (inTemp ("Fuzz.vst/Contents/") + juce::String::fromUTF8 ("\xc3\x9c"
                                                                                     "ber \xf0\x9f\x8e\xb9"))
                     .existsAsFile());
}

TEST_F (Unpacking, NothingIsWrittenThroughALinkLeftInTheTemporaryFolder)
{
    // An earlier, careless run left a link in the temporary folder that leads outside.
    auto outside = scratch.getChild ("outside");
    ASSERT_TRUE (outside.createDirectory());
    ASSERT_TRUE (juce::File::createSymbolicLink (juce::File (inTemp ("Other.vst")), outside.getFullPathName(), false));

    writeFile ("Alpha.vst/Contents/Info.plist", "<plist/>");
    writeFile ("Other.vst/Contents/MacOS/code", "escaped");
    zip ("Alpha.vst Other.vst");

    EXPECT_TRUE (unpack ("Alpha.vst")) << "the component's own entries are sound";
    EXPECT_EQ (outside.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);

    // The component's own top entry is such a link: it is replaced, never written through.
    ASSERT_TRUE (juce::File (inTemp ("Alpha.vst")).deleteRecursively());
    ASSERT_TRUE (juce::File::createSymbolicLink (juce::File (inTemp ("Alpha.vst")), outside.getFullPathName(), false));
    EXPECT_FALSE (unpack ("Alpha.vst"));
    EXPECT_EQ (outside.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
}

TEST_F (Unpacking, DamagedDataIsNoCopy)
{
    juce::Random random (3);
    juce::MemoryBlock code (300000);

    // Compressible, so the entry is deflated; and a second, stored entry.
    for (size_t i = 0; i < code.getSize(); ++i)
        code[i] = (char) ('a' + random.nextInt (4));

    writeFile ("Bad.vst/Contents/Info.plist", "<plist/>");
    ASSERT_TRUE (source().getChildFile ("Bad.vst/Contents/MacOS").createDirectory());
    ASSERT_TRUE (source().getChildFile ("Bad.vst/Contents/MacOS/BadCrc").replaceWithData (code.getData(), code.getSize()));
    zip ("Bad.vst");
    ASSERT_TRUE (unpack ("Bad.vst")) << "the archive is sound before it is damaged";
    EXPECT_EQ (juce::File (inTemp ("Bad.vst/Contents/MacOS/BadCrc")).getSize(), (juce::int64) code.getSize());

    // Bytes in the middle of the entry's data overwritten; its listing left intact.
    auto damage = [this] (const juce::String& entryName, int offsetIntoData)
    {
        ASSERT_TRUE (BundleFixtures::damageEntryData (archive(), entryName, offsetIntoData));
        ASSERT_EQ (BundleFixtures::runShell ("unzip -tq '" + archive().getFullPathName() + "' >/dev/null 2>&1"), 2) << "unzip sees the damage";
    };

    damage ("Bad.vst/Contents/MacOS/BadCrc", 2000);
    EXPECT_FALSE (unpack ("Bad.vst"));
    EXPECT_FALSE (juce::File (inTemp ("Bad.vst")).exists());

    // A stored entry whose bytes differ from what the listing promises.
    source().deleteRecursively();
    writeFile ("Stored.vst/Contents/Info.plist", "<plist><dict><key>CFBundleVersion</key><string>2.0</string></dict></plist>");
    zip ("Stored.vst", "-y -0");
    damage ("Stored.vst/Contents/Info.plist", 10);
    EXPECT_FALSE (unpack ("Stored.vst"));
    EXPECT_FALSE (juce::File (inTemp ("Stored.vst")).exists());
}

TEST_F (Unpacking, NamesAreTextNotPaths)
{
    // "~" is only a name here, never the home folder.
    auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    ASSERT_TRUE (home.getChildFile ("keep.txt").replaceWithText ("keep"));

    writeFile ("~/keep.txt", "replaced");
    writeFile ("Tilde.vst/Contents/Info.plist", "<plist/>");
    zip ("'~' Tilde.vst");

    EXPECT_TRUE (unpack ("Tilde.vst"));
    EXPECT_EQ (home.getChildFile ("keep.txt").loadFileAsString(), "keep");
    EXPECT_EQ (juce::File (inTemp ("~/keep.txt")).loadFileAsString(), "replaced");

    EXPECT_FALSE (unpack ("~")) << "no component may be named so";
    EXPECT_TRUE (home.getChildFile ("keep.txt").existsAsFile());

    // An archive bound the disk can hold, and never beyond the fixed bound.
    const auto limit = ArchiveUnpacker::getArchiveByteLimit (temp());
    EXPECT_GT (limit, 0);
    EXPECT_LE (limit, ArchiveUnpacker::maxArchiveBytes);
    EXPECT_LE (limit, juce::File (temp()).getBytesFreeOnVolume());
}
