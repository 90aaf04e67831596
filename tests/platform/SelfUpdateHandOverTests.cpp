#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "platform/ProcessRunner.h"
#include "platform/SelfUpdateHandOver.h"
#include "support/TestEnvironment.h"

#include <unistd.h>

// Inside the namespace and a process space of its own: the script waits for every running
// manager, and the test must not wait for one another test or developer started.
#define HAND_OVER_IN_PRIVATE_ROOT()                                                            \
    if (! TestEnvironment::isInPrivateRoot())                                                  \
    {                                                                                          \
        auto privateRun = TestEnvironment::runCurrentTestInPrivateRoot (120000, true);         \
        ASSERT_EQ (privateRun.exitCode, 0) << privateRun.output;                               \
        ASSERT_TRUE (privateRun.output.contains ("[  PASSED  ] 1 test")) << privateRun.output; \
        return;                                                                                \
    }

namespace
{
const juce::String installedBundle = "/Applications/Quorvelan Plugin Manager.app";

// The hand-over run for real, inside the private namespace, with a home folder whose name holds
// every character a shell could trip on.
class HandOver : public testing::Test
{
protected:
    void SetUp() override
    {
        if (! TestEnvironment::isInPrivateRoot())
            return;

        home = scratch.getChild ("a b'c\"d$e`f");
        ASSERT_TRUE (home.createDirectory());
        homeVariable = std::make_unique<TestEnvironment::ScopedEnvironmentVariable> ("HOME", home.getFullPathName().toRawUTF8());
        temp = juce::File (getTempFolderPath());
        ASSERT_TRUE (temp.createDirectory());
        options.tempFolder = temp.getFullPathName();
    }

    juce::File archive() const { return temp.getChildFile (SelfUpdateHandOver::archiveName); }
    juce::File opened() const { return home.getChildFile ("opened"); }

    // The new copy's program only notes that it was started; zipped by the system's zip so its
    // exec bit travels.
    void writeUpdateArchive()
    {
        const auto stage = scratch.getChild ("stage");
        const auto macOs = stage.getChildFile ("Quorvelan Plugin Manager.app/Contents/MacOS");
        ASSERT_TRUE (macOs.createDirectory());
        ASSERT_TRUE (stage.getChildFile ("Quorvelan Plugin Manager.app/Contents/Info.plist").replaceWithText ("<plist/>"));

        const auto program = macOs.getChildFile ("Quorvelan Plugin Manager");
        ASSERT_TRUE (program.replaceWithText ("#!/bin/sh\ntouch \"$HOME/opened\"\n", false, false, "\n"));
        ASSERT_TRUE (program.setExecutePermission (true));

        ASSERT_EQ (ProcessRunner::runAndWait ({ "/bin/sh", "-c", "cd \"$1\" && /usr/bin/zip -q -r \"$2\" 'Quorvelan Plugin Manager.app'",
                                                "sh", stage.getFullPathName(), archive().getFullPathName() }),
                   0);
    }

    // The script in the foreground; its exit status.
    int runScript() const
    {
        return ProcessRunner::runAndWait ({ "/bin/sh", "-c", SelfUpdateHandOver::buildScript (options) });
    }

    // An elevation program that notes each use, then runs the command or refuses.
    juce::String writeElevation (bool grant)
    {
        auto program = scratch.getChild ("elevate");
        program.replaceWithText ("#!/bin/sh\necho \"$@\" >> \"$(dirname \"$0\")/elevations\"\n"
                                     + juce::String (grant ? "exec \"$@\"\n" : "exit 126\n"),
                                 false, false, "\n");
        program.setExecutePermission (true);
        return program.getFullPathName();
    }

    juce::StringArray elevations() const
    {
        return juce::StringArray::fromLines (scratch.getChild ("elevations").loadFileAsString().trimEnd());
    }

    void expectNothingInstalled()
    {
        EXPECT_FALSE (juce::File (installedBundle).exists());
        EXPECT_TRUE (archive().existsAsFile()) << "the download is kept";
        TestEnvironment::runFor (300);
        EXPECT_FALSE (opened().exists());
    }

    BundleFixtures::ScratchFolder scratch;
    juce::File home, temp;
    std::unique_ptr<TestEnvironment::ScopedEnvironmentVariable> homeVariable;
    SelfUpdateHandOver::Options options;
};
} // namespace

TEST (HandOverCommand, TextAsGiven)
{
    SelfUpdateHandOver::Options options;
    options.tempFolder = "/tmp/t";
    options.authorization.runDirectlyWhenRoot = false;

    const juce::String expected =
        "/bin/sh -c 'while :; do\n"
        "\tp=$(for d in /proc/[0-9]*; do [ -O \"$d\" ] || continue; e=$(readlink \"$d/exe\" 2>/dev/null) || continue; "
        "case \"${e##*/}\" in *\"Quorvelan Plugin Manager\"*) echo \"$d\";; esac; done)\n"
        "\t[ -z \"$p\" ] && break\n"
        "\tsleep 0.5\n"
        "\tdone\n"
        "\tdestFdrPosix='\\''/Applications'\\''\n"
        "\tsrcFnPosix='\\''/tmp/t/Quorvelan Plugin Manager.app'\\''\n"
        "\tzipFnPosix='\\''/tmp/t/Quorvelan Plugin Manager.app.zip'\\''\n"
        "\ttempFnPosix='\\''/tmp/t'\\''\n"
        "\t/usr/bin/unzip -o -d \"$tempFnPosix\" \"$zipFnPosix\" || exit 1\n"
        "\t'\\''/usr/bin/pkexec'\\'' /bin/sh -c '\\''/bin/mkdir -p \"$1\" && /bin/cp -R \"$2\" \"$1\"'\\'' sh \"$destFdrPosix\" \"$srcFnPosix\" || exit 1\n"
        "\t/bin/rm -Rf \"$zipFnPosix\" || exit 1\n"
        "\t/bin/rm -Rf \"$srcFnPosix\" || exit 1\n"
        "\t/usr/bin/setsid -f \"$destFdrPosix/Quorvelan Plugin Manager.app/Contents/MacOS/Quorvelan Plugin Manager\"' </dev/null >/dev/null 2>&1 &";

    EXPECT_EQ (SelfUpdateHandOver::buildCommand (options), expected);

    if (ProcessRunner::isRoot())
    {
        options.authorization.runDirectlyWhenRoot = true;
        EXPECT_EQ (SelfUpdateHandOver::buildScriptLines (options)[10],
                   "/bin/mkdir -p \"$destFdrPosix\" && /bin/cp -R \"$srcFnPosix\" \"$destFdrPosix\" || exit 1");
    }

    EXPECT_EQ (SelfUpdateHandOver::quoteForShell ("a'b"), "'a'\\''b'");
}

TEST_F (HandOver, InstallsIntoAMissingApplicationsFolderAndStartsTheNewCopy)
{
    HAND_OVER_IN_PRIVATE_ROOT()

    writeUpdateArchive();
    ASSERT_TRUE (temp.getChildFile ("Quorvelan Plugin Manager.app/Contents/stale").create());
    ASSERT_EQ (ProcessRunner::runAndWait ({ "/bin/umount", "/Applications" }), 0);
    ASSERT_TRUE (juce::File ("/Applications").deleteFile());

    ASSERT_TRUE (SelfUpdateHandOver::launchSelfUpdateScript (options));
    ASSERT_TRUE (TestEnvironment::runUntil ([this]
                                            { return opened().exists(); },
                                            30000));

    const juce::File program (installedBundle + "/Contents/MacOS/Quorvelan Plugin Manager");
    EXPECT_TRUE (program.existsAsFile());
    EXPECT_EQ (access (program.getFullPathName().toRawUTF8(), X_OK), 0);
    EXPECT_TRUE (juce::File (installedBundle + "/Contents/Info.plist").existsAsFile());
    EXPECT_FALSE (archive().exists());
    EXPECT_FALSE (temp.getChildFile ("Quorvelan Plugin Manager.app").exists());
}

TEST_F (HandOver, WaitsUntilNoManagerRuns)
{
    HAND_OVER_IN_PRIVATE_ROOT()

    writeUpdateArchive();

    // A process whose executable carries the manager's name.
    const auto lookalike = scratch.getChild ("Quorvelan Plugin Manager");
    ASSERT_TRUE (juce::File ("/bin/sleep").copyFileTo (lookalike));
    ASSERT_TRUE (lookalike.setExecutePermission (true));
    juce::ChildProcess manager;
    ASSERT_TRUE (manager.start (juce::StringArray{ lookalike.getFullPathName(), "600" }));

    ASSERT_TRUE (SelfUpdateHandOver::launchSelfUpdateScript (options));
    TestEnvironment::runFor (1500);
    EXPECT_FALSE (juce::File (installedBundle).exists());
    EXPECT_TRUE (archive().existsAsFile());

    manager.kill();
    EXPECT_TRUE (TestEnvironment::runUntil ([this]
                                            { return opened().exists(); },
                                            30000));
    EXPECT_TRUE (juce::File (installedBundle).isDirectory());
}

TEST_F (HandOver, CorruptArchiveStopsEverything)
{
    HAND_OVER_IN_PRIVATE_ROOT()

    ASSERT_TRUE (archive().replaceWithText ("PK not really a zip"));
    EXPECT_NE (runScript(), 0);
    expectNothingInstalled();
}

TEST_F (HandOver, ElevationProgramAsksOnceOrRefuses)
{
    HAND_OVER_IN_PRIVATE_ROOT()

    writeUpdateArchive();
    options.authorization.runDirectlyWhenRoot = false;

    options.authorization.elevationProgram = writeElevation (false);
    EXPECT_NE (runScript(), 0);
    EXPECT_EQ (elevations().size(), 1);
    expectNothingInstalled();

    scratch.getChild ("elevations").deleteFile();
    options.authorization.elevationProgram = writeElevation (true);
    EXPECT_EQ (runScript(), 0);
    EXPECT_EQ (elevations().size(), 1);
    EXPECT_TRUE (elevations()[0].startsWith ("/bin/sh -c")) << elevations()[0];
    EXPECT_TRUE (TestEnvironment::runUntil ([this]
                                            { return opened().exists(); },
                                            30000));
    EXPECT_TRUE (juce::File (installedBundle + "/Contents/MacOS/Quorvelan Plugin Manager").existsAsFile());
    EXPECT_FALSE (archive().exists());
}
