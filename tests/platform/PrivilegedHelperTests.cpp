#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "platform/PlatformAuthorization.h"
#include "platform/PlatformFiles.h"
#include "platform/ProcessRunner.h"
#include "platform/SystemFolders.h"
#include "support/TestEnvironment.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace
{
using Words = std::vector<std::string>;

// The privileged helper started directly with its places, talked to over its pipes as the
// program would.
class HelperProcess
{
public:
    explicit HelperProcess (const juce::StringArray& places)
    {
        juce::StringArray arguments (QUORVELAN_HELPER_PATH);
        arguments.addArray (places);
        pid = ProcessRunner::startWithPipes (arguments, toHelper, fromHelper);
    }

    ~HelperProcess()
    {
        close (toHelper);
        close (fromHelper);
        ProcessRunner::wait (pid);
    }

    std::string readLine()
    {
        std::string line;
        char c = 0;

        while (read (fromHelper, &c, 1) == 1 && c != '\n')
            line += c;

        return line;
    }

    // The first line, then the exit status once the helper ends (it must not wait for input).
    std::pair<std::string, int> readRefusal()
    {
        const auto line = readLine();
        close (toHelper);
        toHelper = -1;
        const auto status = ProcessRunner::wait (pid);
        pid = -1;
        return { line, status };
    }

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

    std::string send (const Words& command)
    {
        std::string bytes;

        for (auto& argument : command)
            bytes += argument + '\0';

        return sendRaw (bytes + '\0');
    }

private:
    int pid = -1, toHelper = -1, fromHelper = -1;
};

std::string joined (const Words& command)
{
    std::string line;

    for (auto& word : command)
        line += word + " ";

    return line;
}

juce::StringArray words (std::initializer_list<juce::String> list)
{
    juce::StringArray result;

    for (auto& w : list)
        result.add (w);

    return result;
}

juce::File writeGrantingElevation (const juce::File& folder)
{
    auto granting = folder.getChildFile ("grant");
    EXPECT_TRUE (BundleFixtures::writeScript (granting, "#!/bin/sh\nexec \"$@\"\n"));
    return granting;
}

// Rights for the places through the helper (a stand-in elevation program that grants) or, when
// direct, carried out by this process itself.
std::unique_ptr<PlatformAuthorization> grantRights (const juce::File& elevation, bool direct, const juce::StringArray& places)
{
    PlatformAuthorization::Options options;
    options.elevationProgram = elevation.getFullPathName();
    options.helperProgram = QUORVELAN_HELPER_PATH;
    options.runDirectlyWhenRoot = direct;
    options.temporaryFolder = getTempFolderPath();

    auto rights = PlatformAuthorization::create (options);

    if (rights == nullptr || ! rights->copyRights (PlatformAuthorization::adminRight, 19, places))
        return {};

    return rights;
}

bool execute (PlatformAuthorization& rights, const Words& command)
{
    juce::StringArray arguments;

    for (size_t i = 1; i < command.size(); ++i)
        arguments.add (command[i]);

    return rights.executeWithPrivileges (command[0], arguments);
}

juce::String modeOf (const juce::File& file)
{
    struct stat info;
    return lstat (file.getFullPathName().toRawUTF8(), &info) == 0 ? juce::String::toHexString ((int) info.st_mode) : juce::String();
}

// Every entry below a folder with its kind, mode, owner, time and contents (or link target).
juce::StringArray describeTree (const juce::File& folder)
{
    juce::StringArray lines;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, juce::File::FollowSymlinks::no))
    {
        const auto file = entry.getFile();
        struct stat info;
        lstat (file.getFullPathName().toRawUTF8(), &info);
        juce::String line;
        line << file.getRelativePathFrom (folder) << " " << juce::String::toHexString ((int) info.st_mode) << " " << (int) info.st_uid << ":"
             << (int) info.st_gid << " " << (juce::int64) info.st_mtim.tv_sec << " ";

        if (S_ISLNK (info.st_mode))
            line << "-> " << file.getNativeLinkedTarget();
        else if (S_ISREG (info.st_mode))
            line << juce::String::toHexString (file.loadFileAsString().hashCode64());

        lines.add (line);
    }

    lines.sort (false);
    return lines;
}
} // namespace

TEST (PrivilegedHelper, RefusesEveryCommandOutsideItsPlacesAndRunsNothing)
{
    // Were a refusal missed, these commands would change the system: only ever inside the
    // namespace, with "/" read-only there, so a command wrongly taken fails instead of doing harm.
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    const juce::File temp (getTempFolderPath());
    ASSERT_TRUE (temp.createDirectory());
    BundleFixtures::ScratchFolder scratch;
    const auto path = [&scratch] (const juce::String& p)
    { return scratch.getFile().getFullPathName().toStdString() + "/" + p.toStdString(); };
    const auto payload = temp.getChildFile ("payload").getFullPathName().toStdString();

    ASSERT_TRUE (juce::File (payload).replaceWithText ("#!/bin/sh\necho owned\n", false, false, "\n"));
    ASSERT_TRUE (scratch.getChild ("victim").replaceWithText ("keep"));
    ASSERT_TRUE (scratch.getChild ("elsewhere/file").create().wasOk());
    ASSERT_TRUE (scratch.getChild ("dest").createDirectory().wasOk());
    ASSERT_TRUE (juce::File::createSymbolicLink (scratch.getChild ("etc"), "/etc", false));
    const auto othersFile = temp.getChildFile ("others").getFullPathName().toStdString();
    ASSERT_TRUE (juce::File (othersFile).replaceWithText ("not the user's"));
    ASSERT_EQ (chown (othersFile.c_str(), 1234, 1234), 0);
    ASSERT_EQ (BundleFixtures::runShell ("mount -o remount,bind,ro /"), 0);

    HelperProcess helper (juce::StringArray (scratch.getChild ("dest").getFullPathName()));
    ASSERT_EQ (helper.readLine(), "ready");

    const std::vector<Words> refused{
        { "/bin/rm", "-R", "-f", "/usr" },
        { "/bin/rm", "-R", "-f", "/usr/lib" },
        { "/bin/rm", "-R", "-f", "/var" },
        { "/bin/rm", "-R", "-f", "/home" },
        { "/bin/rm", "-R", "-f", "/root" },
        { "/bin/rm", "-R", "-f", "/opt" },
        { "/bin/rm", "-R", "-f", "/" },
        { "/bin/rm", "-R", "-f", "/etc" },
        { "/bin/rm", "-R", "-f", "/boot/" },
        { "/bin/mv", "-f", payload, "/usr" },
        { "/bin/mv", "-f", payload, "/root/.ssh/authorized_keys" },
        { "/bin/mv", "-f", payload, "/usr/lib/x86_64-linux-gnu/libc.so.6" },
        { "/bin/mv", "-f", payload, "/usr/lib/systemd/system/" },
        { "/bin/mv", "-f", payload, "/bin/rm" },
        { "/bin/mv", "-f", payload, "/etc/passwd" },
        { "/bin/mkdir", "-p", "/usr/lib/systemd/system/evil.service.d" },
        { "/bin/mkdir", "-p", "/opt/new" },
        // Outside the place, or not one of the three shapes.
        { "/bin/mv", "-f", payload, path ("etc/passwd") },
        { "/bin/mv", "-f", payload, path ("moved") },
        { "/bin/mv", "-f", othersFile, path ("dest/others") },
        { "/bin/mv", "-f", path ("elsewhere/file"), path ("dest/moved") },
        { "/bin/mv", "-f", path ("dest/.quorvelan-new-file"), path ("dest/sub/file") },
        { "/bin/mv", "-f", path ("elsewhere/.quorvelan-new-file"), path ("elsewhere/file") },
        { "/bin/rm", "-R", "-f", path ("victim") },
        { "/bin/rm", "-R", "-f", path ("dest") },
        { "/bin/rm", "-R", "-f", path ("dest/../victim") },
        { "/bin/rm", "-R", "-f", path ("dest/./victim") },
        { "/bin/rm", "-R", "-f", path ("dest/victim\n") },
        { "/bin/rm", "-R", "-f", path ("dest//victim") },
        { "/bin/rm", "-f", path ("dest/victim") },
        { "/bin/rm", "-R", "-f", path ("dest/a"), path ("dest/b") },
        { "/bin/mkdir", "-m", "4777", path ("dest/open") },
        { "/bin/mkdir", "-p", "-m", "4777", path ("dest/open") },
        { "/bin/mkdir", "-p", "relative/open" },
        { "/bin/sh", "-c", "rm " + path ("victim") },
        { "/usr/bin/rm", "-R", "-f", path ("dest/victim") },
    };

    for (auto& command : refused)
        EXPECT_EQ (helper.send (command), "-1") << joined (command);

    // A command line far beyond the bound is refused, and the helper still answers afterwards.
    EXPECT_EQ (helper.sendRaw ("/bin/rm" + std::string (1, '\0') + std::string (1024 * 1024, 'x') + std::string (2, '\0')), "-1");
    EXPECT_EQ (helper.sendRaw (std::string (1024 * 1024, '/') + std::string (2, '\0')), "-1");

    for (auto* kept : { "/usr/lib", "/var", "/home", "/root", "/opt", "/usr/lib/systemd/system" })
        EXPECT_TRUE (juce::File (kept).isDirectory()) << kept;

    EXPECT_TRUE (juce::File (payload).existsAsFile());
    EXPECT_TRUE (juce::File (othersFile).existsAsFile()) << "only the user's own entries are moved";
    EXPECT_EQ (scratch.getChild ("victim").loadFileAsString(), "keep");
    EXPECT_TRUE (scratch.getChild ("elsewhere/file").existsAsFile());
    EXPECT_EQ (scratch.getChild ("dest").getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
    EXPECT_FALSE (scratch.getChild ("moved").exists());

    // The program's own commands run in the place, and their real outcome comes back.
    EXPECT_EQ (helper.send ({ "/bin/mkdir", "-p", path ("dest/") }), "0");
    EXPECT_EQ (helper.send ({ "/bin/mkdir", "-p", path ("dest/sub/deeper/") }), "0");
    EXPECT_EQ (helper.send ({ "/bin/mv", "-f", payload, path ("dest/.quorvelan-new-Plug.vst") }), "0");
    EXPECT_EQ (helper.send ({ "/bin/mv", "-f", path ("dest/.quorvelan-new-Plug.vst"), path ("dest/Plug.vst") }), "0");
    EXPECT_EQ (scratch.getChild ("dest/Plug.vst").loadFileAsString(), "#!/bin/sh\necho owned\n");
    EXPECT_EQ (helper.send ({ "/bin/mv", "-f", temp.getChildFile ("missing").getFullPathName().toStdString(), path ("dest/") }), "1");
    EXPECT_EQ (helper.send ({ "/bin/rm", "-R", "-f", path ("dest/missing/deeper") }), "0") << "nothing to remove is success";
    EXPECT_EQ (helper.send ({ "/bin/rm", "-R", "-f", path ("dest/sub") }), "0");
    EXPECT_EQ (helper.send ({ "/bin/rm", "-R", "-f", path ("dest/Plug.vst") }), "0");
    EXPECT_EQ (scratch.getChild ("dest").getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
}

TEST (PrivilegedHelper, RefusesPlacesInOrAroundSystemFolders)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    // Judged where a held folder really is.
    for (auto* refused : { "/", "/usr", "/var", "/home", "/root", "/opt", "/Library", "/usr/lib", "/usr/local", "/usr/local/lib",
                           "/usr/bin", "/etc/vst", "/usr/lib/systemd/system", "/usr/lib/x86_64-linux-gnu", "/usr/lib/x86_64-linux-gnu/vst",
                           "/usr/lib/python3.11/vst", "/lib/vst", "/var/lib/vst", "/usr/share/vst", "/System/Library", "/Library/LaunchDaemons" })
        EXPECT_FALSE (SystemFolders::isAcceptablePlace (refused)) << refused;

    for (auto* accepted : { "/usr/lib/vst", "/usr/local/lib/vst", "/Library/Audio/Plug-Ins/VST", "/opt/vst", "/home/customer/.vst",
                            "/var/tmp/plugins", "/tmp/x/Plug-Ins" })
        EXPECT_TRUE (SystemFolders::isAcceptablePlace (accepted)) << accepted;

    BundleFixtures::ScratchFolder scratch;
    ASSERT_TRUE (juce::File::createSymbolicLink (scratch.getChild ("etc"), "/etc", false));
    ASSERT_TRUE (juce::File::createSymbolicLink (scratch.getChild ("up"), "/usr", false));
    const auto etcBefore = juce::File ("/etc").getNumberOfChildFiles (juce::File::findFilesAndDirectories);

    // A refused place is named, and the helper ends without "ready" or waiting for a command.
    for (const auto& place : { juce::String ("/"), juce::String ("/usr"), juce::String ("/usr/lib"), juce::String ("/home"),
                               juce::String ("/etc/quorvelan"), juce::String ("/usr/lib/x86_64-linux-gnu/vst"),
                               scratch.getChild ("etc").getFullPathName(), scratch.getChild ("etc/quorvelan/new").getFullPathName(),
                               scratch.getChild ("up").getFullPathName(), juce::String ("relative/vst") })
    {
        HelperProcess helper ({ scratch.getChild ("fine").getFullPathName(), place });
        const auto [line, status] = helper.readRefusal();
        EXPECT_EQ (line, "refused: " + place.toStdString());
        EXPECT_NE (status, 0) << place;
    }

    EXPECT_FALSE (juce::File ("/etc/quorvelan").exists()) << "nothing is made inside a system folder";
    EXPECT_EQ (juce::File ("/etc").getNumberOfChildFiles (juce::File::findFilesAndDirectories), etcBefore);

    {
        HelperProcess helper ({});
        EXPECT_EQ (helper.readRefusal().first, "refused: no place named");
    }

    // Plug-in folders are made where missing, also through a link to an ordinary folder.
    ASSERT_TRUE (scratch.getChild ("real").createDirectory().wasOk());
    ASSERT_TRUE (juce::File::createSymbolicLink (scratch.getChild ("linked"), scratch.getChild ("real").getFullPathName(), false));
    {
        HelperProcess helper ({ "/usr/lib/vst", "/Library/Audio/Plug-Ins/VST/", scratch.getChild ("linked/VST").getFullPathName() });
        EXPECT_EQ (helper.readLine(), "ready");
    }

    EXPECT_TRUE (juce::File ("/usr/lib/vst").isDirectory());
    EXPECT_TRUE (juce::File ("/Library/Audio/Plug-Ins/VST").isDirectory());
    EXPECT_TRUE (scratch.getChild ("real/VST").isDirectory());

    // The program's rights are not obtained for a refused place, on either road.
    const auto elevation = writeGrantingElevation (scratch.getFile());

    for (const bool direct : { false, true })
    {
        EXPECT_EQ (grantRights (elevation, direct, { "/opt/vst", "/usr/lib" }), nullptr) << direct;
        EXPECT_EQ (grantRights (elevation, direct, { scratch.getChild ("etc").getFullPathName() }), nullptr) << direct;
        EXPECT_EQ (grantRights (elevation, direct, {}), nullptr) << direct;
        EXPECT_NE (grantRights (elevation, direct, { "/opt/vst" }), nullptr) << direct;
    }
}

TEST (PlatformAuthorization, EveryCommandGetsItsOwnAnswer)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    BundleFixtures::ScratchFolder scratch;
    const auto elevation = writeGrantingElevation (scratch.getFile());
    // Through the helper, then run directly: the same answers.
    for (const bool direct : { false, true })
    {
        const auto place = scratch.getChild (direct ? "direct" : "helper").getFullPathName();
        // The temporary folder is held with the rights, so it exists before they are asked for.
        ASSERT_TRUE (juce::File (getTempFolderPath()).getChildFile ("new/inner").createDirectory());
        auto rights = grantRights (elevation, direct, { place });
        ASSERT_NE (rights, nullptr);
        const auto made = place + "/made/deeper";
        const auto moved = place + "/moved";
        const auto fromTemp = getTempFolderPath() + "/new";
        const auto missing = getTempFolderPath() + "/missing";

        // An empty argument is never sent: it would split the command in two.
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/mkdir", { "-p", "", made }));
        EXPECT_FALSE (juce::File (made).exists());
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/sh", { "-c", "true" }));

        EXPECT_TRUE (rights->executeWithPrivileges ("/bin/mkdir", { "-p", made }));
        EXPECT_TRUE (juce::File (made).isDirectory());
        EXPECT_TRUE (rights->executeWithPrivileges ("/bin/mv", { "-f", fromTemp, moved }));
        EXPECT_TRUE (juce::File (moved + "/inner").isDirectory());
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/mv", { "-f", missing, moved + "2" })) << "a failed command is a failure";
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/mkdir", { "-p", scratch.getChild ("outside").getFullPathName() })) << "a refused command is a failure";
        EXPECT_FALSE (scratch.getChild ("outside").exists());
        EXPECT_TRUE (rights->executeWithPrivileges ("/bin/rm", { "-R", "-f", moved }));
        EXPECT_FALSE (juce::File (moved).exists());

        const auto log = rights->getCommandLog();
        ASSERT_EQ (log.size(), 4);
        EXPECT_EQ (log[0], words ({ "/bin/mkdir", "-p", made }));
        EXPECT_EQ (log[1], words ({ "/bin/mv", "-f", fromTemp, moved }));
        EXPECT_EQ (log[2], words ({ "/bin/mv", "-f", missing, moved + "2" }));
        EXPECT_EQ (log[3], words ({ "/bin/rm", "-R", "-f", moved }));

        rights->free (PlatformAuthorization::flagDestroyRights);
        EXPECT_FALSE (rights->executeWithPrivileges ("/bin/mkdir", { "-p", made + "2" }));
        EXPECT_FALSE (juce::File (made + "2").exists());
    }
}

TEST (PrivilegedHelper, NoFolderSwappedForALinkTurnsACommandIntoASystemFolder)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    // The stand-in system folder: a scratch file system over a folder inside /etc.
    const juce::File system ("/etc/quorvelan-standin");
    ASSERT_TRUE (system.createDirectory().wasOk());
    ASSERT_EQ (BundleFixtures::runShell ("mount -t tmpfs tmpfs " + system.getFullPathName()), 0);

    BundleFixtures::ScratchFolder scratch;
    const auto elevation = writeGrantingElevation (scratch.getFile());
    const auto place = scratch.getChild ("place");
    const auto customer = place.getFullPathName() + "/customer";
    ASSERT_TRUE (juce::File (customer).createDirectory().wasOk());
    ASSERT_TRUE (juce::File::createSymbolicLink (place.getChildFile ("swap"), system.getFullPathName(), false));
    ASSERT_TRUE (juce::File (getTempFolderPath()).createDirectory());

    // The customer's folder, wherever its name is at the moment.
    const int customerFolder = open (customer.toRawUTF8(), O_RDONLY | O_DIRECTORY);
    const int systemFolder = open (system.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE (customerFolder, 0);
    ASSERT_GE (systemFolder, 0);

    const auto exists = [] (int folder, const char* name)
    {
        struct stat info;
        return fstatat (folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0;
    };
    const auto makeFile = [] (int folder, const char* name)
    { close (openat (folder, name, O_WRONLY | O_CREAT, 0644)); };
    const auto removeTree = [] (int folder, const char* name)
    {
        unlinkat (folder, (std::string (name) + "/Contents").c_str(), AT_REMOVEDIR);
        unlinkat (folder, name, AT_REMOVEDIR);
        unlinkat (folder, name, 0);
    };

    // Another process of the customer's swaps the folder with a link to the system folder, and
    // back, as fast as it can.
    std::atomic<bool> stop{ false };
    std::thread swapper ([&]
                         {
                             const auto swap = place.getChildFile ("swap").getFullPathName();
                             while (! stop)
                                 renameat2 (AT_FDCWD, customer.toRawUTF8(), AT_FDCWD, swap.toRawUTF8(), RENAME_EXCHANGE); });

    constexpr int rounds = 2000;
    const auto payload = getTempFolderPath().toStdString() + "/payload";

    for (const bool direct : { false, true })
    {
        auto rights = grantRights (elevation, direct, { place.getFullPathName() });
        ASSERT_NE (rights, nullptr);

        int inSystem[3] = {}, inCustomerFolder[3] = {};

        for (int round = 0; round < rounds; ++round)
        {
            makeFile (customerFolder, "canary");
            makeFile (systemFolder, "canary");
            execute (*rights, { "/bin/rm", "-R", "-f", customer.toStdString() + "/canary" });
            inSystem[0] += exists (systemFolder, "canary") ? 0 : 1;
            inCustomerFolder[0] += exists (customerFolder, "canary") ? 0 : 1;

            close (open (payload.c_str(), O_WRONLY | O_CREAT, 0644));
            execute (*rights, { "/bin/mv", "-f", payload, customer.toStdString() + "/payload" });
            inSystem[1] += exists (systemFolder, "payload") ? 1 : 0;
            inCustomerFolder[1] += exists (customerFolder, "payload") ? 1 : 0;
            unlinkat (systemFolder, "payload", 0);
            unlinkat (customerFolder, "payload", 0);

            execute (*rights, { "/bin/mkdir", "-p", customer.toStdString() + "/new/Contents" });
            inSystem[2] += exists (systemFolder, "new") ? 1 : 0;
            inCustomerFolder[2] += exists (customerFolder, "new") ? 1 : 0;
            removeTree (systemFolder, "new");
            removeTree (customerFolder, "new");
        }

        for (int shape = 0; shape < 3; ++shape)
        {
            SCOPED_TRACE (juce::String (direct ? "direct, " : "helper, ") + juce::StringArray ({ "rm", "mv", "mkdir" })[shape]);
            EXPECT_EQ (inSystem[shape], 0);
            EXPECT_GT (inCustomerFolder[shape], rounds / 20) << "the commands still act in the customer's folder";
        }
    }

    stop = true;
    swapper.join();
    close (customerFolder);
    close (systemFolder);
}

TEST (PrivilegedHelper, MovesAcrossFileSystemsKeepTheTreeOrNothing)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    // The temporary folder lies on one file system; the places on two others.
    const juce::File temp (getTempFolderPath());
    const juce::File roomy ("/Library/Roomy"), small ("/Library/Small");
    ASSERT_TRUE (roomy.createDirectory().wasOk());
    ASSERT_TRUE (small.createDirectory().wasOk());
    ASSERT_EQ (BundleFixtures::runShell ("mount -t tmpfs tmpfs /Library/Roomy && mount -t tmpfs -o size=256k tmpfs /Library/Small"), 0);

    BundleFixtures::ScratchFolder scratch;
    const auto elevation = writeGrantingElevation (scratch.getFile());

    juce::MemoryBlock binary (600 * 1024);
    juce::Random (5).fillBitsRandomly (binary.getData(), binary.getSize());

    const auto makeBundle = [&] (const juce::String& name)
    {
        const auto bundle = temp.getChildFile (name);
        EXPECT_TRUE (bundle.getChildFile ("Contents/MacOS").createDirectory().wasOk());
        EXPECT_TRUE (bundle.getChildFile ("Contents/Resources").createDirectory().wasOk());
        EXPECT_TRUE (bundle.getChildFile ("Contents/MacOS/binary").replaceWithData (binary.getData(), binary.getSize()));
        EXPECT_TRUE (bundle.getChildFile ("Contents/Info.plist").replaceWithText ("<plist/>"));
        EXPECT_TRUE (bundle.getChildFile ("Contents/Resources/owned").replaceWithText ("theirs"));
        EXPECT_TRUE (juce::File::createSymbolicLink (bundle.getChildFile ("Contents/Current"), "MacOS", false));
        EXPECT_TRUE (juce::File::createSymbolicLink (bundle.getChildFile ("Contents/passwd"), "/etc/passwd", false));
        const auto at = [&bundle] (const char* child)
        { return bundle.getChildFile (child).getFullPathName(); };
        EXPECT_EQ (BundleFixtures::runShell ("chmod 0750 '" + at ("Contents") + "' && chmod 0755 '" + at ("Contents/MacOS/binary")
                                             + "' && chmod 0640 '" + at ("Contents/Info.plist") + "' && chown -R 1234:2345 '"
                                             + at ("Contents/Resources") + "' && chmod 04755 '" + at ("Contents/Resources/owned")
                                             + "' && chmod 0700 '" + at ("Contents/Resources") + "' && touch -h -d 2001-02-03 '"
                                             + at ("Contents/Current") + "' '" + at ("Contents/Info.plist") + "'"),
                   0);
        return bundle;
    };

    ASSERT_TRUE (temp.createDirectory());

    for (const bool direct : { false, true })
    {
        SCOPED_TRACE (direct ? "direct" : "helper");
        auto rights = grantRights (elevation, direct, { roomy.getFullPathName(), small.getFullPathName() });
        ASSERT_NE (rights, nullptr);

        const auto bundle = makeBundle ("Plug.vst");
        const auto before = describeTree (bundle);
        const auto bundleMode = modeOf (bundle);
        EXPECT_TRUE (before.joinIntoString ("\n").contains ("-> /etc/passwd"));
        EXPECT_TRUE (execute (*rights, { "/bin/mv", "-f", bundle.getFullPathName().toStdString(), "/Library/Roomy/Plug.vst" }));

        EXPECT_EQ (describeTree (roomy.getChildFile ("Plug.vst")), before);
        EXPECT_EQ (modeOf (roomy.getChildFile ("Plug.vst")), bundleMode);
        EXPECT_TRUE (PlatformFiles::isSymbolicLink (roomy.getChildFile ("Plug.vst/Contents/passwd").getFullPathName())) << "a link stays a link";
        EXPECT_FALSE (bundle.exists()) << "the source is gone";
        EXPECT_EQ (roomy.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"),
                   roomy.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"))
            << "no staged copy is left";

        // A copy that fails part way: neither a half bundle nor a lost source.
        const auto big = makeBundle ("Big.vst");
        const auto bigBefore = describeTree (big);
        EXPECT_FALSE (execute (*rights, { "/bin/mv", "-f", big.getFullPathName().toStdString(), "/Library/Small/Big.vst" }));
        EXPECT_EQ (small.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 0);
        EXPECT_EQ (describeTree (big), bigBefore);

        big.deleteRecursively();
        roomy.getChildFile ("Plug.vst").deleteRecursively();
    }
}
