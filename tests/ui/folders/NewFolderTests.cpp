#include "FolderChooserTestSupport.h"
#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "localisation/Languages.h"

#include <sys/fsuid.h>
#include <sys/stat.h>

using namespace FolderChooserTestSupport;

namespace
{
// The message thread's file rights: an unprivileged user's, as a customer without write access
// to the plug-in folders, or root's. A started program gets root's back at exec. Windows are
// made with root's rights, since the display refuses them otherwise.
void useCustomerFileRights (bool customer)
{
    setfsuid (customer ? 65534 : 0);
}

struct ScopedRootFileRights
{
    ~ScopedRootFileRights() { useCustomerFileRights (false); }
};

juce::StringArray logLines (const juce::File& log)
{
    return log.existsAsFile() ? juce::StringArray::fromLines (log.loadFileAsString().trimEnd()) : juce::StringArray();
}

// Every path below the folder, for "nothing was made anywhere".
juce::StringArray everythingBelow (const juce::File& folder)
{
    juce::StringArray paths;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles))
        paths.add (entry.getFile().getFullPathName());

    paths.sort (false);
    return paths;
}

juce::StringArray childrenOfTheFileSystemRoot()
{
    juce::StringArray names;

    for (const auto& entry : juce::RangedDirectoryIterator (juce::File ("/"), false, "*", juce::File::findFilesAndDirectories))
        names.add (entry.getFile().getFileName());

    names.sort (false);
    return names;
}

uid_t ownerOf (const juce::File& file)
{
    struct stat info
    {
    };
    return stat (file.getFullPathName().toRawUTF8(), &info) == 0 ? info.st_uid : (uid_t) -1;
}

struct Elevation
{
    Elevation()
    {
        options.helperProgram = QUORVELAN_HELPER_PATH;
        options.runDirectlyWhenRoot = false;
        options.elevationProgram = writeElevationProgram (programs.getFile(), "grant", log, true).getFullPathName();
    }

    void refuse() { options.elevationProgram = writeElevationProgram (programs.getFile(), "refuse", log, false).getFullPathName(); }

    BundleFixtures::ScratchFolder programs;
    juce::File log = programs.getChild ("elevations.log");
    PlatformAuthorization::Options options;
};

// Runs the chooser on the folder, creating each name in turn with the button given; returns the
// privileged commands of each step.
std::vector<juce::Array<juce::StringArray>> createFolders (const juce::File& folder, const PlatformAuthorization::Options& options,
                                                           const std::vector<std::pair<juce::String, juce::String>>& namesAndButtons,
                                                           juce::StringArray* rowsAfter = nullptr, bool asCustomer = false)
{
    SubDirectoryChooser chooser ("New", folder.getFullPathName(), folder.getFullPathName(), options);
    StepDriver driver;
    ScopedRootFileRights rootAfterwards;
    std::vector<juce::Array<juce::StringArray>> commands;

    for (auto& [name, button] : namesAndButtons)
    {
        addNewFolderSteps (driver, name, button, [asCustomer]
                           { useCustomerFileRights (asCustomer); });
        driver.then ("the commands", dialogReady, [&commands]
                     {
                         useCustomerFileRights (false);
                         commands.push_back (DialogParts().browser->getLastPrivilegedCommands()); });
    }

    driver.then ("the rows", dialogReady, [rowsAfter]
                 {
                     if (rowsAfter != nullptr)
                         *rowsAfter = rowPaths (*DialogParts().tree);
                     DialogParts().content->cancelButton->triggerClick(); });

    chooser.browse();
    EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
    return commands;
}
} // namespace

//==============================================================================
TEST (NewFolder, PlainCreateInAWritableFolderNeedsNoRights)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()
    setLanguage (0);

    const juce::File vst (getDefaultVstFolder());
    ASSERT_TRUE (vst.createDirectory().wasOk());
    Elevation elevation;
    juce::StringArray rows;

    createFolders (vst, elevation.options, { { "New Folder", "Create" } }, &rows);
    EXPECT_TRUE (vst.getChildFile ("New Folder").isDirectory());
    EXPECT_TRUE (rows.contains (vst.getChildFile ("New Folder").getFullPathName())) << "shown after the refresh";

    const auto before = everythingBelow (vst);
    const auto commands = createFolders (vst, elevation.options, { { "New Folder", "Create" }, { "", "Create" }, { "Cancelled", "CANCEL" } });
    EXPECT_EQ (everythingBelow (vst), before) << "an existing name, an empty name and CANCEL create nothing";

    for (auto& stepCommands : commands)
        EXPECT_TRUE (stepCommands.isEmpty());

    createFolders (vst, elevation.options, { { "x/y", "Create" }, { "-p", "Create" } });
    EXPECT_TRUE (vst.getChildFile ("x/y").isDirectory());
    EXPECT_TRUE (vst.getChildFile ("-p").isDirectory());
    EXPECT_EQ (logLines (elevation.log), juce::StringArray()) << "nothing was elevated";

    // Escape does not answer the prompt, and a prompt closed without a button answers as CANCEL.
    SubDirectoryChooser chooser ("New", vst.getFullPathName(), vst.getFullPathName(), elevation.options);
    StepDriver driver;
    bool promptStayedAfterEscape = false;
    driver.then ("the dialog", dialogReady, []
                 { DialogParts().newFolderButton->triggerClick(); })
        .then (
            "the prompt", []
            { return getPrompt() != nullptr && getPrompt()->isShowing(); },
            []
            {
                  auto& prompt = *getPrompt();
                  prompt.getTextEditor ("dirname")->setText ("Escaped", true);
                  prompt.getTextEditor ("dirname")->grabKeyboardFocus();
                  prompt.getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey)); })
        .then (
            "the prompt after Escape", []
            { return getPrompt() != nullptr; },
            [&]
            {
                  promptStayedAfterEscape = getPrompt()->isShowing();
                  getPrompt()->setVisible (false); })
        .then ("the dialog after the prompt", dialogReady, []
               { DialogParts().content->cancelButton->triggerClick(); });

    chooser.browse();
    EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
    EXPECT_TRUE (promptStayedAfterEscape);
    EXPECT_FALSE (vst.getChildFile ("Escaped").exists());
    EXPECT_EQ (logLines (elevation.log), juce::StringArray());
}

//==============================================================================
TEST (NewFolder, WithoutWriteRightsTheCommandRunsOnceWithTheRights)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()
    setLanguage (0);

    const juce::File vst (getDefaultVstFolder());
    ASSERT_TRUE (vst.createDirectory().wasOk());
    ASSERT_EQ (chmod (vst.getFullPathName().toRawUTF8(), 0755), 0);
    Elevation elevation;

    {
        {
            ScopedRootFileRights rootAfterwards;
            useCustomerFileRights (true);
            ASSERT_TRUE (vst.getChildFile ("probe").createDirectory().failed()) << "a plain create is refused";
        }

        juce::StringArray rows;
        const auto commands = createFolders (vst, elevation.options, { { "Made By Admin", "Create" }, { "p/q/r", "Create" } }, &rows, true);

        ASSERT_EQ (commands.size(), 2u);
        EXPECT_EQ (commands[0].size(), 1);
        EXPECT_EQ (commands[0][0], juce::StringArray (juce::String ("/bin/mkdir"), juce::String ("-p"), vst.getFullPathName() + "/Made By Admin"));
        EXPECT_EQ (commands[1].size(), 1);
        EXPECT_EQ (commands[1][0], juce::StringArray (juce::String ("/bin/mkdir"), juce::String ("-p"), vst.getFullPathName() + "/p/q/r"));
        EXPECT_TRUE (rows.contains (vst.getChildFile ("Made By Admin").getFullPathName())) << "the command was waited for";
    }

    EXPECT_TRUE (vst.getChildFile ("Made By Admin").isDirectory());
    EXPECT_EQ (ownerOf (vst.getChildFile ("Made By Admin")), (uid_t) 0);
    EXPECT_TRUE (vst.getChildFile ("p/q/r").isDirectory());

    // The rights are asked for the folder shown, where the new folder is made.
    const juce::String grantLine ("grant " QUORVELAN_HELPER_PATH " " + vst.getFullPathName());
    EXPECT_EQ (logLines (elevation.log), juce::StringArray (grantLine, grantLine)) << "one elevation for each folder";

    // A refused password prompt: no command, no folder.
    elevation.log.deleteFile();
    elevation.refuse();
    {
        const auto commands = createFolders (vst, elevation.options, { { "Refused", "Create" } }, nullptr, true);
        ASSERT_EQ (commands.size(), 1u);
        EXPECT_TRUE (commands[0].isEmpty());
    }

    EXPECT_FALSE (vst.getChildFile ("Refused").exists());
    EXPECT_EQ (logLines (elevation.log), juce::StringArray (juce::String ("refuse " QUORVELAN_HELPER_PATH " ") + vst.getFullPathName()));
}

//==============================================================================
TEST (NewFolder, NamesThatLeaveTheCurrentFolderCreateNothing)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()
    setLanguage (0);

    const juce::File library ("/Library");
    const juce::File vst (getDefaultVstFolder());
    ASSERT_TRUE (vst.getChildFile ("Inside").createDirectory().wasOk());
    Elevation elevation;

    const juce::StringArray unsafeNames{ "../Escaped", "Inside/../../Escaped", "..", ".", "./Dot", "Inside/./Dot",
                                         "Inside/..", "tab\there", "bell\a" };
    const auto before = everythingBelow (library);
    const auto rootBefore = childrenOfTheFileSystemRoot();

    for (bool writable : { true, false })
    {
        SCOPED_TRACE (writable ? "writable" : "without write rights");
        std::vector<std::pair<juce::String, juce::String>> steps;

        for (auto& name : unsafeNames)
            steps.push_back ({ name, "Create" });

        const auto commands = createFolders (vst, elevation.options, steps, nullptr, ! writable);

        for (auto& stepCommands : commands)
            EXPECT_TRUE (stepCommands.isEmpty());
    }

    // An empty current folder would put the name at the top of the disk.
    {
        SubDirectoryChooser chooser ("New", vst.getFullPathName(), {}, elevation.options);
        StepDriver driver;
        addNewFolderSteps (driver, "AtTheTop", "Create");
        driver.then ("the dialog", dialogReady, []
                     { DialogParts().content->cancelButton->triggerClick(); });
        chooser.browse();
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
    }

    EXPECT_EQ (everythingBelow (library), before);
    EXPECT_EQ (childrenOfTheFileSystemRoot(), rootBefore);
    EXPECT_EQ (logLines (elevation.log), juce::StringArray());

    // The target a name gives, for a current folder.
    struct Case
    {
        juce::String folder, name, target;
    };

    for (auto& c : { Case{ "/base", "a", "/base/a" }, Case{ "/base", "a/b", "/base/a/b" }, Case{ "/base", "a//b/", "/base/a/b" },
                     Case{ "/base", "-rf", "/base/-rf" }, Case{ "/base", "~", "/base/~" }, Case{ "/base", "", "/base" },
                     Case{ "/", "top", "/top" }, Case{ "/base", "..", "" }, Case{ "/base", "a/../b", "" },
                     Case{ "/base/..", "x", "" }, Case{ "", "x", "" }, Case{ "/base", "x\ny", "" },
                     Case{ "/ba\x01se", "x", "" } })
        EXPECT_EQ (SubDirectoryBrowserComponent::makeNewFolderTarget (c.folder.isEmpty() ? juce::File() : juce::File (c.folder), c.name).getFullPathName(),
                   c.target)
            << c.folder << " + " << c.name;
}
