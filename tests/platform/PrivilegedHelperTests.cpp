#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "platform/PlatformAuthorization.h"
#include "platform/ProcessRunner.h"
#include "support/TestEnvironment.h"

#include <unistd.h>

namespace
{
using Commands = juce::Array<juce::StringArray>;

// The privileged helper started directly, talked to over its pipes as the program would.
class HelperProcess
{
public:
    HelperProcess() { pid = ProcessRunner::startWithPipes ({ QUORVELAN_HELPER_PATH }, toHelper, fromHelper); }

    ~HelperProcess()
    {
        close (toHelper);
        close (fromHelper);
        ProcessRunner::wait (pid);
    }

    bool isReady() { return pid > 0 && readLine() == "ready"; }

    // Sends the bytes as they are; the helper's answer line.
    std::string sendRaw (const std::string& bytes)
    {
        for (size_t done = 0; done < bytes.size();)
        {
            auto written = write (toHelper, bytes.data() + done, bytes.size() - done);

            if (written <= 0)
                return "write failed";

            done += (size_t) written;
        }

        return readLine();
    }

    std::string send (const std::vector<std::string>& command)
    {
        std::string bytes;

        for (auto& argument : command)
            bytes += argument + '\0';

        return sendRaw (bytes + '\0');
    }

private:
    std::string readLine()
    {
        std::string line;
        char c = 0;

        while (read (fromHelper, &c, 1) == 1 && c != '\n')
            line += c;

        return line;
    }

    int pid = -1, toHelper = -1, fromHelper = -1;
};

juce::StringArray words (std::initializer_list<juce::String> list)
{
    juce::StringArray result;

    for (auto& w : list)
        result.add (w);

    return result;
}
} // namespace

TEST (PrivilegedHelper, RefusesEveryOtherCommandAndRunsNothing)
{
    // Were a refusal missed, these commands would change the system: only ever inside the namespace.
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    const juce::File temp (getTempFolderPath());
    ASSERT_TRUE (temp.createDirectory());
    BundleFixtures::ScratchFolder scratch;
    const auto path = [&scratch] (const juce::String& p)
    { return scratch.getFile().getFullPathName().toStdString() + "/" + p.toStdString(); };

    auto payload = temp.getChildFile ("payload");
    ASSERT_TRUE (payload.replaceWithText ("#!/bin/sh\necho owned\n", false, false, "\n"));
    ASSERT_TRUE (scratch.getChild ("victim").replaceWithText ("keep"));
    ASSERT_TRUE (scratch.getChild ("elsewhere/file").create().wasOk());
    ASSERT_TRUE (juce::File::createSymbolicLink (scratch.getChild ("etc"), "/etc", false));

    const auto rmBefore = juce::File ("/bin/rm").getSize();
    const auto passwdBefore = juce::File ("/etc/passwd").loadFileAsString();

    HelperProcess helper;
    ASSERT_TRUE (helper.isReady());

    const std::vector<std::vector<std::string>> refused{
        { "/bin/mv", "-f", payload.getFullPathName().toStdString(), "/bin/rm" },
        { "/bin/mv", "-f", payload.getFullPathName().toStdString(), "/etc/passwd" },
        { "/bin/mv", "-f", payload.getFullPathName().toStdString(), "/usr/sbin/payload" },
        { "/bin/mv", "-f", payload.getFullPathName().toStdString(), path ("etc/passwd") },
        { "/bin/mv", "-f", path ("elsewhere/file"), path ("moved") },
        { "/bin/mv", "-f", path ("elsewhere/file"), path ("elsewhere/.quorvelan-new-file") },
        { "/bin/mkdir", "-m", "4777", path ("open") },
        { "/bin/mkdir", "-p", "-m", "4777", path ("open") },
        { "/bin/mkdir", "-p", "relative/open" },
        { "/bin/rm", "-R", "-f", "/" },
        { "/bin/rm", "-R", "-f", "/etc" },
        { "/bin/rm", "-R", "-f", "/boot/" },
        { "/bin/rm", "-R", "-f", path ("etc/passwd") },
        { "/bin/rm", "-R", "-f", path ("elsewhere/../victim") },
        { "/bin/rm", "-R", "-f", path ("./victim") },
        { "/bin/rm", "-R", "-f", path ("victim\n") },
        { "/bin/rm", "-R", "-f", path ("/victim") },
        { "/bin/rm", "-f", path ("victim") },
        { "/bin/rm", "-R", "-f", path ("victim"), path ("victim") },
        { "/bin/sh", "-c", "rm " + path ("victim") },
        { "/usr/bin/rm", "-R", "-f", path ("victim") },
    };

    for (auto& command : refused)
    {
        std::string line;

        for (auto& word : command)
            line += word + " ";

        EXPECT_EQ (helper.send (command), "-1") << line;
    }

    // A command line far beyond the bound is refused, and the helper still answers afterwards.
    EXPECT_EQ (helper.sendRaw ("/bin/rm" + std::string (1, '\0') + std::string (1024 * 1024, 'x') + std::string (2, '\0')), "-1");
    EXPECT_EQ (helper.sendRaw (std::string (1024 * 1024, '/') + std::string (2, '\0')), "-1");

    EXPECT_EQ (juce::File ("/bin/rm").getSize(), rmBefore);
    EXPECT_EQ (juce::File ("/etc/passwd").loadFileAsString(), passwdBefore);
    EXPECT_TRUE (payload.existsAsFile());
    EXPECT_EQ (scratch.getChild ("victim").loadFileAsString(), "keep");
    EXPECT_TRUE (scratch.getChild ("elsewhere/file").existsAsFile());
    EXPECT_FALSE (scratch.getChild ("open").exists());
    EXPECT_FALSE (scratch.getChild ("moved").exists());

    // The program's own commands still run, and their real outcome comes back.
    EXPECT_EQ (helper.send ({ "/bin/mkdir", "-p", path ("dest/") }), "0");
    EXPECT_EQ (helper.send ({ "/bin/mv", "-f", payload.getFullPathName().toStdString(), path ("dest/.quorvelan-new-Plug.vst") }), "0");
    EXPECT_EQ (helper.send ({ "/bin/mv", "-f", path ("dest/.quorvelan-new-Plug.vst"), path ("dest/Plug.vst") }), "0");
    EXPECT_EQ (scratch.getChild ("dest/Plug.vst").loadFileAsString(), "#!/bin/sh\necho owned\n");
    EXPECT_EQ (helper.send ({ "/bin/mv", "-f", temp.getChildFile ("missing").getFullPathName().toStdString(), path ("dest/") }), "1");
    EXPECT_EQ (helper.send ({ "/bin/rm", "-R", "-f", path ("dest") }), "0");
    EXPECT_FALSE (scratch.getChild ("dest").exists());
}

TEST (PlatformAuthorization, EveryCommandGetsItsOwnAnswer)
{
    BundleFixtures::ScratchFolder scratch;
    auto granting = scratch.getChild ("grant");
    ASSERT_TRUE (BundleFixtures::writeScript (granting, "#!/bin/sh\nexec \"$@\"\n"));

    PlatformAuthorization::Options options;
    options.elevationProgram = granting.getFullPathName();
    options.helperProgram = QUORVELAN_HELPER_PATH;

    // Through the helper, then (when this process is root) run directly: the same answers.
    for (const bool direct : { false, true })
    {
        if (direct && ! ProcessRunner::isRoot())
            continue;

        options.runDirectlyWhenRoot = direct;
        auto rights = PlatformAuthorization::create (options);
        ASSERT_NE (rights, nullptr);
        ASSERT_TRUE (rights->copyRights (PlatformAuthorization::adminRight, 19));

        ASSERT_TRUE (juce::File (getTempFolderPath()).createDirectory());
        const auto made = getTempFolderPath() + "/made";
        const auto other = scratch.getChild ("other").getFullPathName();
        const auto missing = getTempFolderPath() + "/missing";

        // An empty argument is never sent: it would split the command in two.
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/mkdir", { "-p", "", made }));
        EXPECT_FALSE (juce::File (made).exists());
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/sh", { "-c", "true" }));

        EXPECT_TRUE (rights->executeWithPrivileges ("/bin/mkdir", { "-p", made }));
        EXPECT_TRUE (juce::File (made).isDirectory());
        EXPECT_TRUE (rights->executeWithPrivileges ("/bin/mv", { "-f", made, other }));
        EXPECT_TRUE (juce::File (other).isDirectory());
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/mv", { "-f", missing, other })) << "a failed command is a failure";
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/mkdir", { "-p", "/etc/quorvelan" })) << "a refused command is a failure";
        EXPECT_FALSE (juce::File ("/etc/quorvelan").exists());
        EXPECT_TRUE (rights->executeWithPrivileges ("/bin/rm", { "-R", "-f", other }));
        EXPECT_FALSE (juce::File (other).exists());

        const auto log = rights->getCommandLog();
        ASSERT_GE (log.size(), 4);
        EXPECT_EQ (log.getFirst(), words ({ "/bin/mkdir", "-p", made }));
        EXPECT_EQ (log[1], words ({ "/bin/mv", "-f", made, other }));
        EXPECT_EQ (log[2], words ({ "/bin/mv", "-f", missing, other }));
        EXPECT_EQ (log.getLast(), words ({ "/bin/rm", "-R", "-f", other }));

        rights->free (PlatformAuthorization::flagDestroyRights);
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/mkdir", { "-p", made }));
        EXPECT_FALSE (juce::File (made).exists());
    }
}
