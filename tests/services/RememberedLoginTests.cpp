#include <gtest/gtest.h>

#include "platform/PrivateFile.h"
#include "services/RememberedLogin.h"
#include "services/SettingsFiles.h"
#include "support/TestEnvironment.h"

#include <sys/stat.h>

namespace
{
juce::String fromCodes (std::initializer_list<juce::juce_wchar> codes)
{
    juce::String text;

    for (auto c : codes)
        text += juce::String::charToString (c);

    return text;
}

juce::MemoryBlock bytesOf (const char* text)
{
    return juce::MemoryBlock (text, std::strlen (text));
}

juce::MemoryBlock contentOf (const juce::File& file)
{
    juce::MemoryBlock content;
    file.loadFileAsData (content);
    return content;
}

// A fresh settings folder in the test's home, without "login".
juce::File freshLoginFile()
{
    SettingsFiles::createSettingsFolder();
    auto file = RememberedLogin::getFile();
    file.deleteRecursively();
    return file;
}

struct ScopedUmask
{
    explicit ScopedUmask (mode_t mask)
        : previous (::umask (mask))
    {
    }
    ~ScopedUmask() { ::umask (previous); }
    mode_t previous;
};
} // namespace

TEST (LoginScramble, ReversesBitsInEachByteAndCharacterOrder)
{
    EXPECT_EQ (reverseByteBits (0x61), 0x86u);
    EXPECT_EQ (reverseByteBits (0x50), 0x0au);
    EXPECT_EQ (reverseByteBits (0x01020380u), 0x8040c001u);
    EXPECT_EQ (reverseByteBits (0x20ac), 0x0435u);

    EXPECT_EQ (scrambleLoginText ("ab"), fromCodes ({ 0x46, 0x86 }));
    EXPECT_EQ (scrambleLoginText ("P"), "\n");
    EXPECT_EQ (scrambleLoginText (juce::String::fromUTF8 ("\xe2\x82\xac")), fromCodes ({ 0x0435 }));

    // Its own inverse, for every character up to 0xFF and beyond where the scramble is a character.
    juce::String all;
    for (juce::juce_wchar c = 1; c <= 0xff; ++c)
        all += juce::String::charToString (c);
    all += juce::String::fromUTF8 ("\xe2\x82\xac demo@quorvelan.com");

    EXPECT_TRUE (isStorableLoginText (all));
    EXPECT_EQ (scrambleLoginText (scrambleLoginText (all)), all);

    // U+5B5D scrambles to a surrogate, U+1F600 above 0x10FFFF: no text holds them.
    for (auto c : { (juce::juce_wchar) 0x5b5d, (juce::juce_wchar) 0x1f600 })
    {
        auto text = "x" + juce::String::charToString (c);
        EXPECT_FALSE (isStorableLoginText (text)) << (int) c;
        EXPECT_EQ (scrambleLoginText (text), "") << (int) c;
    }
}

TEST (RememberedLoginFile, WritesTheFrameworksBytesReadableByItsOwnerOnly)
{
    auto file = freshLoginFile();

    const char expected[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<SAVE user=\"F&#134;\" pass=\"F&#134;\"/>\r\n";
    EXPECT_EQ (RememberedLogin::makeFileContent ("ab", "ab"), bytesOf (expected));

    for (mode_t mask : { (mode_t) 022, (mode_t) 0, (mode_t) 077 })
    {
        ScopedUmask umask (mask);
        file.deleteFile();

        ASSERT_TRUE (RememberedLogin::write ("ab", "ab")) << mask;
        EXPECT_EQ (contentOf (file), bytesOf (expected)) << mask;
        EXPECT_EQ (PrivateFile::getPermissions (file), 0600) << "umask " << mask;
    }

    // Replacing an earlier file, also one anyone could read, leaves only the new one, 0600.
    ASSERT_TRUE (file.replaceWithText ("old"));
    ::chmod (file.getFullPathName().toRawUTF8(), 0644);
    ASSERT_TRUE (RememberedLogin::write ("demo@quorvelan.com", "demo1234"));
    EXPECT_EQ (PrivateFile::getPermissions (file), 0600);
    EXPECT_EQ (file.getParentDirectory().findChildFiles (juce::File::findFilesAndDirectories, false, "*login*").size(), 1);

    // What the framework's own writer gives loads as well: the same bytes.
    juce::XmlElement save ("SAVE");
    save.setAttribute ("user", scrambleLoginText ("someone.with.a.rather.long.address@example.com"));
    save.setAttribute ("pass", scrambleLoginText ("and a long password, wrapped at sixty"));
    ASSERT_TRUE (SettingsFiles::writeXml (save, file));
    EXPECT_EQ (contentOf (file), RememberedLogin::makeFileContent ("someone.with.a.rather.long.address@example.com", "and a long password, wrapped at sixty"));

    auto read = RememberedLogin::read();
    ASSERT_TRUE (read.has_value());
    EXPECT_EQ (read->email, "someone.with.a.rather.long.address@example.com");
    EXPECT_EQ (read->password, "and a long password, wrapped at sixty");
}

TEST (RememberedLoginFile, EveryStorableCharacterRoundTripsAndOthersLeaveNoFile)
{
    auto file = freshLoginFile();

    for (juce::juce_wchar c = 1; c <= 0xff; ++c)
    {
        auto text = "a" + juce::String::charToString (c) + "z";
        ASSERT_TRUE (RememberedLogin::write (text, juce::String::charToString (c))) << (int) c;

        auto read = RememberedLogin::read();
        ASSERT_TRUE (read.has_value()) << (int) c << "\n"
                                       << file.loadFileAsString();
        EXPECT_EQ (read->email, text) << (int) c;
        EXPECT_EQ (read->password, juce::String::charToString (c)) << (int) c;
    }

    auto euro = juce::String::fromUTF8 ("pa\xe2\x82\xacss");
    ASSERT_TRUE (RememberedLogin::write ("me@example.com", euro));
    EXPECT_EQ (RememberedLogin::read()->password, euro);

    // An emoji or U+5B5D cannot be stored: the earlier file, which holds another login, goes.
    for (auto unstorable : { juce::String::fromUTF8 ("pass\xf0\x9f\x98\x80"), juce::String::fromUTF8 ("\xe5\xad\x9d") })
    {
        ASSERT_TRUE (RememberedLogin::write ("me@example.com", "earlier"));
        EXPECT_FALSE (RememberedLogin::write ("me@example.com", unstorable));
        EXPECT_FALSE (file.exists());
        EXPECT_FALSE (RememberedLogin::write (unstorable, "fine"));
        EXPECT_FALSE (file.exists());
    }
}

TEST (RememberedLoginFile, FailedWriteKeepsTheEarlierFileAndLeavesNoTemporaryFile)
{
    auto file = freshLoginFile();
    auto folder = file.getParentDirectory();

    // "login" is a folder with something in it: the rename over it fails.
    ASSERT_TRUE (file.getChildFile ("keep").create().wasOk());
    EXPECT_FALSE (RememberedLogin::write ("ab", "ab"));
    EXPECT_TRUE (file.getChildFile ("keep").existsAsFile());
    EXPECT_EQ (folder.findChildFiles (juce::File::findFiles, false, ".login*").size(), 0);
    file.deleteRecursively();

    // The folder is gone: nothing can be created there.
    auto missing = folder.getChildFile ("missing/login");
    EXPECT_FALSE (RememberedLogin::write ("ab", "ab", missing));
    EXPECT_FALSE (missing.exists());
}

TEST (RememberedLoginFile, FullDiskKeepsTheEarlierFileWhole)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    auto file = freshLoginFile();
    auto folder = file.getParentDirectory();

    // A settings folder on a disk of a few pages, holding an earlier login, then filled up.
    juce::ChildProcess mount;
    ASSERT_TRUE (mount.start (juce::StringArray{ "mount", "-t", "tmpfs", "-o", "size=16k", "tmpfs", folder.getFullPathName() }));
    ASSERT_TRUE (mount.waitForProcessToFinish (10000));
    ASSERT_EQ (mount.getExitCode(), 0u);

    ASSERT_TRUE (RememberedLogin::write ("earlier@example.com", "earlier"));
    auto earlier = contentOf (file);

    {
        juce::FileOutputStream filler (folder.getChildFile ("filler"));
        juce::MemoryBlock block (4096, true);
        for (int i = 0; i < 16 && filler.write (block.getData(), block.getSize()); ++i)
            filler.flush();
    }

    EXPECT_FALSE (RememberedLogin::write (juce::String::repeatedString ("long@example.com", 400), "new"));
    EXPECT_EQ (contentOf (file), earlier);
    EXPECT_EQ (folder.findChildFiles (juce::File::findFiles, false, ".login*").size(), 0);

    juce::ChildProcess unmount;
    ASSERT_TRUE (unmount.start (juce::StringArray{ "umount", folder.getFullPathName() }));
    unmount.waitForProcessToFinish (10000);
}
