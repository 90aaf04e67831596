#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "platform/PlatformAuthorization.h"
#include "platform/PlatformFiles.h"
#include "platform/PrivilegedCommandRules.h"
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

// A home-like folder whose links lead into a stand-in system folder (/etc/quorvelan-standin,
// made only inside the private namespace, where / is a throw-away overlay), beside an ordinary
// folder and a link to it.
struct LinkTree
{
    LinkTree()
    {
        EXPECT_TRUE (TestEnvironment::isInPrivateRoot());
        EXPECT_TRUE (system.getChildFile ("keep").create().wasOk());
        EXPECT_TRUE (scratch.getChild ("plain/file").create().wasOk());
        EXPECT_TRUE (juce::File (getTempFolderPath()).createDirectory());
        EXPECT_TRUE (getTempFile().replaceWithText ("new"));

        for (auto [name, target] : { std::pair<const char*, juce::String> ("link", system.getFullPathName()),
                                     { "chain", path ("link") },
                                     { "dangling", "/etc/quorvelan-standin-missing" },
                                     { "rootlink", "/" },
                                     { "usrlink", "/usr" },
                                     { "okLink", path ("plain") } })
            EXPECT_TRUE (juce::File::createSymbolicLink (scratch.getChild (name), target, false)) << name;
    }

    ~LinkTree() { system.deleteRecursively(); }

    juce::String path (const juce::String& child) const { return scratch.getFile().getFullPathName() + "/" + child; }
    juce::File getTempFile() const { return juce::File (getTempFolderPath()).getChildFile ("f"); }

    // Nothing but "keep" inside the stand-in system folder.
    bool systemUntouched() const
    {
        return system.getChildFile ("keep").existsAsFile() && system.getNumberOfChildFiles (juce::File::findFilesAndDirectories) == 1;
    }

    const juce::File system{ "/etc/quorvelan-standin" };
    BundleFixtures::ScratchFolder scratch;
};

// The lines that reach the stand-in system folder only through a link.
std::vector<juce::StringArray> linesThroughLinks (const LinkTree& tree)
{
    const auto temp = tree.getTempFile().getFullPathName();
    return { { "/bin/rm", "-R", "-f", tree.path ("link/") },
             { "/bin/mv", "-f", temp, tree.path ("link") },
             { "/bin/mkdir", "-p", tree.path ("link/new/dir") } };
}

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

TEST (PrivilegedCommandRules, JudgePathsWhereTheirLinksLead)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    LinkTree tree;
    const auto temp = tree.getTempFile().getFullPathName();
    const auto path = [&tree] (const char* child)
    { return tree.path (child); };

    const std::vector<std::pair<juce::StringArray, bool>> cases{
        // The last part is a link: never removed, never a move's destination.
        { { "/bin/rm", "-R", "-f", path ("link/") }, false },
        { { "/bin/rm", "-R", "-f", path ("link") }, false },
        { { "/bin/rm", "-R", "-f", path ("okLink") }, false },
        { { "/bin/rm", "-R", "-f", path ("okLink/") }, false },
        { { "/bin/mv", "-f", temp, path ("link") }, false },
        { { "/bin/mv", "-f", temp, path ("link/") }, false },
        { { "/bin/mv", "-f", temp, path ("okLink") }, false },
        // A link further up, or parts that do not exist yet below one.
        { { "/bin/rm", "-R", "-f", path ("link/keep") }, false },
        { { "/bin/rm", "-R", "-f", path ("chain/keep/") }, false },
        { { "/bin/rm", "-R", "-f", path ("rootlink/etc/x") }, false },
        { { "/bin/rm", "-R", "-f", path ("rootlink/etc") }, false },
        { { "/bin/rm", "-R", "-f", path ("rootlink/bin") }, false },
        { { "/bin/mkdir", "-p", path ("link/new/dir") }, false },
        { { "/bin/mkdir", "-p", path ("link/new/dir/") }, false },
        { { "/bin/mkdir", "-p", path ("link") }, false },
        { { "/bin/mkdir", "-p", path ("chain/new") }, false },
        { { "/bin/mkdir", "-p", path ("rootlink/etc/new") }, false },
        { { "/bin/mkdir", "-p", path ("rootlink/bin") }, false },
        { { "/bin/mkdir", "-p", path ("dangling/new") }, false },
        { { "/bin/mkdir", "-p", path ("plain/file/new") }, false },
        { { "/bin/mv", "-f", temp, path ("link/f") }, false },
        { { "/bin/mv", "-f", temp, path ("link/new/f") }, false },
        { { "/bin/mv", "-f", temp, path ("usrlink/bin/f") }, false },
        { { "/bin/mv", "-f", path ("link/.quorvelan-new-f"), path ("link/f") }, false },
        // Into an existing folder the source lands inside it.
        { { "/bin/mv", "-f", juce::File (temp).getSiblingFile ("bin").getFullPathName(), "/usr" }, false },
        // Links to ordinary folders, and plain paths, as before.
        { { "/bin/rm", "-R", "-f", path ("plain") }, true },
        { { "/bin/rm", "-R", "-f", path ("plain/missing/deeper/") }, true },
        { { "/bin/rm", "-R", "-f", path ("okLink/file") }, true },
        { { "/bin/rm", "-R", "-f", path ("rootlink/Library/Plug.vst") }, true },
        { { "/bin/mkdir", "-p", path ("okLink/new/dir") }, true },
        { { "/bin/mkdir", "-p", path ("okLink") }, true },
        { { "/bin/mkdir", "-p", path ("usrlink/local/new") }, true },
        { { "/bin/mv", "-f", temp, path ("okLink/f") }, true },
        { { "/bin/mv", "-f", temp, path ("plain") }, true },
        { { "/bin/mv", "-f", temp, path ("plain/new") }, true },
        { { "/bin/mv", "-f", path ("okLink/.quorvelan-new-f"), path ("okLink/f") }, true },
    };

    for (auto& [command, allowed] : cases)
    {
        std::vector<std::string> line;

        for (auto& word : command)
            line.push_back (word.toStdString());

        EXPECT_EQ (PrivilegedCommandRules::isAllowedCommand (line, getTempFolderPath().toStdString()), allowed)
            << command.joinIntoString (" ");
    }
}

TEST (PrivilegedHelper, ActsNowhereALinkLeadsIntoASystemFolder)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    LinkTree tree;
    HelperProcess helper;
    ASSERT_TRUE (helper.isReady());

    for (auto& command : linesThroughLinks (tree))
    {
        std::vector<std::string> line;

        for (auto& word : command)
            line.push_back (word.toStdString());

        EXPECT_EQ (helper.send (line), "-1") << command.joinIntoString (" ");
        EXPECT_TRUE (tree.systemUntouched()) << command.joinIntoString (" ");
    }

    EXPECT_TRUE (tree.getTempFile().existsAsFile());
    EXPECT_TRUE (PlatformFiles::isSymbolicLink (tree.path ("link")));

    // Through a link to an ordinary folder the same commands run.
    EXPECT_EQ (helper.send ({ "/bin/mkdir", "-p", tree.path ("okLink/new/dir").toStdString() }), "0");
    EXPECT_EQ (helper.send ({ "/bin/mv", "-f", tree.getTempFile().getFullPathName().toStdString(), tree.path ("okLink/new/f").toStdString() }), "0");
    EXPECT_TRUE (tree.scratch.getChild ("plain/new/f").existsAsFile());
    EXPECT_EQ (helper.send ({ "/bin/rm", "-R", "-f", tree.path ("okLink/new/").toStdString() }), "0");
    EXPECT_FALSE (tree.scratch.getChild ("plain/new").exists());
}

TEST (PlatformAuthorization, SendsNoCommandThatALinkLeadsIntoASystemFolder)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    LinkTree tree;

    // A helper that runs nothing: it records each argument it gets and answers success.
    auto received = tree.scratch.getChild ("received");
    auto granting = tree.scratch.getChild ("grant");
    auto recorder = tree.scratch.getChild ("recorder");
    ASSERT_TRUE (BundleFixtures::writeScript (granting, "#!/bin/sh\nexec \"$@\"\n"));
    ASSERT_TRUE (BundleFixtures::writeScript (recorder, "#!/bin/bash\necho ready\nwhile IFS= read -r -d '' word; do\n"
                                                        "  if [ -z \"$word\" ]; then echo 0; else printf '%s\\n' \"$word\" >> '"
                                                            + received.getFullPathName() + "'; fi\ndone\n"));

    for (const bool direct : { false, true })
    {
        PlatformAuthorization::Options options;
        options.elevationProgram = granting.getFullPathName();
        options.helperProgram = recorder.getFullPathName();
        options.runDirectlyWhenRoot = direct;

        auto rights = PlatformAuthorization::create (options);
        ASSERT_NE (rights, nullptr);
        ASSERT_TRUE (rights->copyRights (PlatformAuthorization::adminRight, 19));

        for (auto& command : linesThroughLinks (tree))
        {
            auto arguments = command;
            arguments.remove (0);
            EXPECT_FALSE (rights->executeWithPrivileges (command[0], arguments)) << command.joinIntoString (" ");
            EXPECT_FALSE (received.exists()) << command.joinIntoString (" ");
            EXPECT_TRUE (tree.systemUntouched()) << command.joinIntoString (" ");
        }

        EXPECT_TRUE (rights->getCommandLog().isEmpty());
    }

    // The recorder does answer the program's own commands.
    PlatformAuthorization::Options options;
    options.elevationProgram = granting.getFullPathName();
    options.helperProgram = recorder.getFullPathName();
    options.runDirectlyWhenRoot = false;
    auto rights = PlatformAuthorization::create (options);
    ASSERT_NE (rights, nullptr);
    ASSERT_TRUE (rights->copyRights (PlatformAuthorization::adminRight, 19));
    EXPECT_TRUE (rights->executeWithPrivileges ("/bin/mkdir", { "-p", tree.path ("okLink/new") }));
    EXPECT_EQ (received.loadFileAsString(), "/bin/mkdir\n-p\n" + tree.path ("okLink/new") + "\n");
}
