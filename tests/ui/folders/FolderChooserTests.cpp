#include "FolderChooserTestSupport.h"
#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "localisation/Languages.h"
#include "ui/folders/FormatSelector.h"
#include "ui/widgets/ProgramFonts.h"
#include "ui/widgets/WidgetTestSupport.h"

#include <dirent.h>

using namespace FolderChooserTestSupport;

namespace
{
juce::File makeFolders (const juce::File& base, std::initializer_list<const char*> paths)
{
    for (auto* path : paths)
        base.getChildFile (path).createDirectory();

    return base;
}

juce::StringArray lines (std::initializer_list<juce::String> items)
{
    juce::StringArray result;

    for (auto& item : items)
        result.add (item);

    return result;
}

juce::StringArray sorted (juce::StringArray items)
{
    items.sort (false);
    return items;
}

juce::StringArray pathsOf (const juce::File& base, std::initializer_list<const char*> children)
{
    juce::StringArray paths;

    for (auto* child : children)
        paths.add (base.getChildFile (child).getFullPathName());

    return paths;
}

// The path list as the menu holds it: "id text" per item, "---" per separator.
juce::StringArray menuLines (juce::ComboBox& box)
{
    juce::StringArray lines;

    for (juce::PopupMenu::MenuItemIterator it (*box.getRootMenu()); it.next();)
    {
        auto& item = it.getItem();
        lines.add (item.isSeparator ? juce::String ("---") : juce::String (item.itemID) + " " + item.text);
    }

    return lines;
}

int countThreadsOfThisProcess()
{
    int count = 0;

    if (auto* dir = opendir ("/proc/self/task"))
    {
        while (auto* entry = readdir (dir))
            if (entry->d_name[0] != '.')
                ++count;

        closedir (dir);
    }

    return count;
}

void cancelDialog()
{
    DialogParts().content->cancelButton->triggerClick();
}

void confirmDialog()
{
    DialogParts().content->okButton->triggerClick();
}

// Whether the X server shows the window: the framework keeps no state of its own for that.
bool isMappedOnScreen (juce::Component& window)
{
    auto* peer = window.getPeer();

    if (peer == nullptr)
        return false;

    // A round trip: the server has seen every request the program made so far.
    peer->isFocused();

    juce::ChildProcess xwininfo;

    if (! xwininfo.start (juce::StringArray{ "xwininfo", "-id", juce::String ((juce::pointer_sized_int) peer->getNativeHandle()) }))
        return false;

    return xwininfo.readAllProcessOutput().contains ("Map State: IsViewable");
}
} // namespace

//==============================================================================
TEST (FolderChooser, ListsFoldersOnlyWithoutBundlesOrHiddenFolders)
{
    BundleFixtures::ScratchFolder scratch;
    const auto start = makeFolders (scratch.getChild ("start"),
                                    { "a/b", "a/.hiddenInside", "a/Inner.vst/Contents", "a/InnerNoPkgInfo/Contents",
                                      ".hidden", "Plain", "NoPkgInfo/Contents", "PkgInfoFolder/Contents/PkgInfo",
                                      "Top.component/Contents" });

    for (auto* file : { "file.txt", ".hiddenFile", "a/file.txt", "a/b/deeper.txt", "a/Inner.vst/Contents/PkgInfo",
                        "Top.component/Contents/PkgInfo", "NoPkgInfo/Contents/Info.plist" })
        start.getChildFile (file).replaceWithText ("x");

    SubDirectoryChooser chooser ("Listing", scratch.getFile().getFullPathName(), start.getFullPathName());
    StepDriver driver;
    juce::StringArray top, opened;
    const auto expectedOpened = sorted (pathsOf (start, { "a", "a/b", "a/InnerNoPkgInfo", "NoPkgInfo", "PkgInfoFolder", "Plain" }));

    driver.then ("the listing", dialogReady, [&]
                 {
                     DialogParts parts;
                     top = rowPaths (*parts.tree);
                     findRow (*parts.tree, start.getChildFile ("a"))->setOpen (true); })
        .then (
            "the rows of the opened folder", [&]
            {
                  DialogParts parts;
                  opened = parts.tree != nullptr ? rowPaths (*parts.tree) : juce::StringArray();
                  return sorted (opened) == expectedOpened; },
            [&]
            {
                // Files below the opened folder's children are not listed either.
                DialogParts parts;
                findRow (*parts.tree, start.getChildFile ("a/b"))->setOpen (true);
            })
        .then (
            "the opened child's scan", [&]
            {
                  DialogParts parts;
                  opened = parts.tree != nullptr ? rowPaths (*parts.tree) : juce::StringArray();
                  return parts.tree != nullptr && parts.tree->getNumRowsInTree() == expectedOpened.size() && parts.isReady(); },
            cancelDialog);

    EXPECT_FALSE (chooser.browse());
    EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure << "\nrows: " << opened.joinIntoString (", ");
    EXPECT_EQ (sorted (top), sorted (pathsOf (start, { "a", "NoPkgInfo", "PkgInfoFolder", "Plain" })));
    EXPECT_EQ (sorted (opened), expectedOpened);

    DirectoriesOnlyFilter filter;
    EXPECT_FALSE (filter.isFileSuitable (start.getChildFile ("file.txt")));
    EXPECT_FALSE (filter.isDirectorySuitable (start.getChildFile ("Top.component")));
    EXPECT_TRUE (filter.isDirectorySuitable (start.getChildFile ("PkgInfoFolder")));
}

//==============================================================================
TEST (FolderChooser, PathListHoldsTheFoundFoldersOfTheRootsFormat)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    auto& catalogue = ProductCatalogue::getInstance();
    const juce::String vst = getDefaultVstFolder(), au = getDefaultAuFolder(), rtas = getDefaultRtasFolder();

    for (auto& folder : { vst, vst + "Synths", vst + "Effects/Delays", au, au + "Mine", rtas + "Pro" })
        juce::File (folder).createDirectory();

    catalogue.addFoundVstFolder (vst);
    catalogue.addFoundVstFolder (vst + "Synths");
    catalogue.addFoundVstFolder (vst + "Effects/Delays/");
    catalogue.addFoundAuFolder (au + "Mine");
    catalogue.addFoundAuFolder (au);
    catalogue.addFoundRtasFolder (rtas + "Pro");
    catalogue.addFoundVst64Folder ("/Library/VST64/");

    BundleFixtures::ScratchFolder scratch;

    auto menuFor = [&] (const juce::String& root)
    {
        SubDirectoryBrowserComponent browser (root.isEmpty() ? juce::File() : juce::File (root), scratch.getFile());
        return menuLines (*findNamed<juce::ComboBox> (browser, "path"));
    };

    const auto vstMenu = lines ({ "1 " + vst, "2 " + vst + "Synths/", "3 " + vst + "Effects/Delays/", "---" });
    EXPECT_EQ (menuFor (vst), vstMenu);
    EXPECT_EQ (menuFor (vst + "Synths"), vstMenu) << "a root inside the VST folder";
    EXPECT_EQ (menuFor (au), lines ({ "1 " + au + "Mine/", "2 " + au, "---" }));
    EXPECT_EQ (menuFor (rtas), lines ({ "1 " + rtas + "Pro/", "---" }));
    EXPECT_EQ (menuFor (scratch.getFile().getFullPathName()), juce::StringArray());
    EXPECT_EQ (menuFor ({}), juce::StringArray()) << "VST64 has no default folder";

    // Going to a found folder adds it once, without its "/", after the separator.
    SubDirectoryBrowserComponent browser ((juce::File (vst)), juce::File (vst));
    auto& box = *findNamed<juce::ComboBox> (browser, "path");
    const auto synths = juce::File (vst + "Synths");

    box.setSelectedId (2, juce::sendNotification);
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return browser.getCurrentRoot() == synths; }));
    EXPECT_EQ (box.getText(), synths.getFullPathName());
    EXPECT_EQ (box.getSelectedId(), 5);

    box.setSelectedId (1, juce::sendNotification);
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return browser.getCurrentRoot() == juce::File (vst); }));
    box.setSelectedId (2, juce::sendNotification);
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return browser.getCurrentRoot() == synths; }));

    EXPECT_EQ (menuLines (box), lines ({ vstMenu[0], vstMenu[1], vstMenu[2], "---", "5 " + synths.getFullPathName(), "6 " + juce::File (vst).getFullPathName() }));

    // A shown folder chosen from the list is taken by its text.
    box.setSelectedId (6, juce::sendNotification);
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return browser.getCurrentRoot() == juce::File (vst); }));
    EXPECT_EQ (box.getNumItems(), 5);
}

//==============================================================================
TEST (FolderChooser, UpButtonStopsAtTheRootFolder)
{
    BundleFixtures::ScratchFolder scratch;
    const auto root = makeFolders (scratch.getChild ("root"), { "sub/inner" });
    const auto sub = root.getChildFile ("sub");

    {
        SubDirectoryChooser chooser ("Up", root.getFullPathName(), root.getFullPathName());
        StepDriver driver;
        bool enabledAtRoot = true, enabledInSub = false, enabledBackAtRoot = true;
        juce::File afterGoUpAtRoot;

        driver.then (
                  "the root's listing", [&]
                  { DialogParts p; return p.isReady() && findRow (*p.tree, sub) != nullptr; },
                  [&]
                  {
                      DialogParts p;
                      enabledAtRoot = p.upButton->isEnabled();
                      p.browser->goUp();
                      afterGoUpAtRoot = p.browser->getCurrentRoot();
                      doubleClickRow (*p.tree, *findRow (*p.tree, sub));
                  })
            .then (
                "the subfolder", [&]
                { DialogParts p; return p.isReady() && p.browser->getCurrentRoot() == sub; },
                [&]
                {
                    DialogParts p;
                    enabledInSub = p.upButton->isEnabled();
                    p.upButton->triggerClick();
                })
            .then (
                "the root again", [&]
                { DialogParts p; return p.isReady() && p.browser->getCurrentRoot() == root; },
                [&]
                {
                    enabledBackAtRoot = DialogParts().upButton->isEnabled();
                    cancelDialog();
                });

        chooser.browse();
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
        EXPECT_FALSE (enabledAtRoot);
        EXPECT_EQ (afterGoUpAtRoot, root) << "goUp does nothing at the root";
        EXPECT_TRUE (enabledInSub);
        EXPECT_FALSE (enabledBackAtRoot);
    }

    {
        // From outside the root it climbs to the file-system root and stops there.
        const auto outside = makeFolders (scratch.getChild ("outside"), { "deep" }).getChildFile ("deep");
        SubDirectoryChooser chooser ("Up", root.getFullPathName(), outside.getFullPathName());
        StepDriver driver;
        juce::StringArray visited;
        bool enabledAtTop = true;

        driver.then (
            "the file-system root", [&]
            {
                         DialogParts p;
                         if (p.upButton == nullptr)
                             return false;
                         const auto current = p.browser->getCurrentRoot().getFullPathName();
                         if (visited.isEmpty() || visited[visited.size() - 1] != current)
                             visited.add (current);
                         if (current == "/")
                             return true;
                         if (p.upButton->isEnabled())
                             p.upButton->triggerClick();
                         return false; },
            [&]
            {
                enabledAtTop = DialogParts().upButton->isEnabled();
                cancelDialog();
            });

        chooser.browse();
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure << "\n"
                                               << visited.joinIntoString (" > ");
        EXPECT_FALSE (enabledAtTop);
        ASSERT_GE (visited.size(), 3);
        EXPECT_EQ (visited[0], outside.getFullPathName());
        EXPECT_EQ (visited[1], outside.getParentDirectory().getFullPathName());
        EXPECT_EQ (visited[visited.size() - 1], "/");
    }
}

//==============================================================================
TEST (FolderChooser, ChosenFolderFollowsTheTreeAndTheButtons)
{
    BundleFixtures::ScratchFolder scratch;
    const auto start = makeFolders (scratch.getChild ("start"), { "a/b", "c" });
    const auto a = start.getChildFile ("a");
    SubDirectoryChooser chooser ("Result", scratch.getFile().getFullPathName(), start.getFullPathName());

    {
        // Selecting a folder chooses it.
        StepDriver driver;
        driver.then (
            "the listing", [&]
            { DialogParts p; return p.isReady() && findRow (*p.tree, a) != nullptr; },
            [&]
            {
                DialogParts p;
                findRow (*p.tree, a)->setSelected (true, true);
                EXPECT_EQ (p.folderBox->getText(), "a");
                confirmDialog();
            });

        EXPECT_TRUE (chooser.browse());
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
        EXPECT_EQ (chooser.getResult(), a);
    }

    {
        // A second run starts empty, and Cancel leaves it so.
        StepDriver driver;
        driver.then ("the listing", dialogReady, cancelDialog);

        EXPECT_FALSE (chooser.browse());
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
        EXPECT_EQ (chooser.getResult().getFullPathName(), juce::String());
    }

    {
        // A child of an opened folder: its path relative to the current folder.
        StepDriver driver;
        juce::String boxText;
        driver.then (
                  "the listing", [&]
                  { DialogParts p; return p.isReady() && findRow (*p.tree, a) != nullptr; },
                  [&]
                  { findRow (*DialogParts().tree, a)->setOpen (true); })
            .then (
                "the opened folder's child", [&]
                { DialogParts p; return p.tree != nullptr && findRow (*p.tree, a.getChildFile ("b")) != nullptr; },
                [&]
                {
                    DialogParts p;
                    findRow (*p.tree, a)->setSelected (true, true);
                    findRow (*p.tree, a.getChildFile ("b"))->setSelected (true, true);
                    boxText = p.folderBox->getText();
                    confirmDialog();
                });

        EXPECT_TRUE (chooser.browse());
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
        EXPECT_EQ (boxText, "a/b");
        EXPECT_EQ (chooser.getResult(), a.getChildFile ("b"));
    }

    {
        // Double-clicking a selected folder makes it current and empties the box.
        StepDriver driver;
        juce::String boxText = "not read";
        driver.then (
                  "the listing", [&]
                  { DialogParts p; return p.isReady() && findRow (*p.tree, a) != nullptr; },
                  [&]
                  {
                      DialogParts p;
                      auto* row = findRow (*p.tree, start.getChildFile ("c"));
                      row->setSelected (true, true);
                      doubleClickRow (*p.tree, *findRow (*p.tree, a));
                  })
            .then (
                "the double-clicked folder", [&]
                { DialogParts p; return p.isReady() && p.browser->getCurrentRoot() == a; },
                [&]
                {
                    DialogParts p;
                    boxText = p.folderBox->getText();
                    EXPECT_EQ (p.pathBox->getText(), a.getFullPathName());
                    EXPECT_TRUE (p.content->okButton->isEnabled());
                    confirmDialog();
                });

        EXPECT_TRUE (chooser.browse());
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
        EXPECT_EQ (boxText, juce::String());
        EXPECT_EQ (chooser.getResult(), a);
    }

    {
        // A missing start folder: an empty tree and no OK until the customer moves to a folder
        // that exists.
        const auto missing = start.getChildFile ("missing");
        SubDirectoryChooser missingStart ("Result", start.getFullPathName(), missing.getFullPathName());
        StepDriver driver;
        bool okAtMissing = true, upAtMissing = false;
        int rowsAtMissing = -1;

        driver.then ("the missing folder", dialogReady, [&]
                     {
                         DialogParts p;
                         okAtMissing = p.content->okButton->isEnabled();
                         upAtMissing = p.upButton->isEnabled();
                         rowsAtMissing = p.tree->getNumRowsInTree();
                         p.upButton->triggerClick(); })
            .then (
                "OK for the start's parent", [&]
                { DialogParts p; return p.isReady() && p.content->okButton->isEnabled(); },
                confirmDialog);

        EXPECT_TRUE (missingStart.browse());
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
        EXPECT_FALSE (okAtMissing);
        EXPECT_TRUE (upAtMissing);
        EXPECT_EQ (rowsAtMissing, 0);
        EXPECT_EQ (missingStart.getResult(), start);
    }

    // What the format selector plugs in: the path, or "" after Cancel.
    {
        StepDriver driver;
        driver.then ("the listing", dialogReady, confirmDialog);
        EXPECT_EQ (chooseSubDirectory ("Plug", scratch.getFile().getFullPathName(), start.getFullPathName()), start.getFullPathName());
    }
    {
        StepDriver driver;
        driver.then ("the listing", dialogReady, cancelDialog);
        EXPECT_EQ (chooseSubDirectory ("Plug", scratch.getFile().getFullPathName(), start.getFullPathName()), juce::String());
    }
}

//==============================================================================
TEST (FolderChooser, ReturnAndEscapeAnswerAsTheButtonsAndTheFocusComesBack)
{
    BundleFixtures::ScratchFolder scratch;
    const auto start = makeFolders (scratch.getChild ("start"), { "a" });

    WidgetTestSupport::FocusWindow window;
    juce::TextEditor editor;
    editor.setSize (200, 24);
    ASSERT_TRUE (window.focus (editor));

    // The keys come through the X server, as from a keyboard: the buttons' shortcuts read the
    // keys' state.
    auto pressKey = [] (const char* key)
    {
        auto* peer = getDialog()->getPeer();
        juce::ChildProcess xdotool;
        ASSERT_TRUE (xdotool.start (juce::StringArray{ "xdotool", "key", "--window",
                                                       juce::String ((juce::pointer_sized_int) peer->getNativeHandle()), key }));
    };

    for (auto [key, confirms] : { std::pair<const char*, bool>{ "Return", true }, { "Escape", false } })
    {
        SubDirectoryChooser chooser ("Keys", scratch.getFile().getFullPathName(), start.getFullPathName());
        StepDriver driver;
        int ticks = 0;

        // A key the X server drops under load is typed again; the dialog must close on its own.
        driver.then (
            "the dialog to close", [&, key = key]
            {
                         if (dialogReady() && ticks++ % 60 == 0)
                         {
                             getDialog()->toFront (true);
                             pressKey (key);
                         }
                         return false; },
            [] {});

        EXPECT_EQ (chooser.browse(), confirms) << key;
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
        EXPECT_EQ (chooser.getResult().getFullPathName(), confirms ? start.getFullPathName() : juce::String()) << key;
        EXPECT_TRUE (TestEnvironment::runUntil ([&]
                                                { return editor.hasKeyboardFocus (true); }))
            << "the focus goes back to the editor after " << key;
    }
}

//==============================================================================
TEST (FolderChooser, LayoutAndTextsInBothLanguages)
{
    ScopedProgramColours colours;
    BundleFixtures::ScratchFolder scratch;
    const auto start = makeFolders (scratch.getChild ("start"), { "a" });

    struct Texts
    {
        const char* title;
        const char* select;
        const char* cancel;
        const char* folder;
        const char* up;
        const char* newFolder;
        const char* descriptionStart;
        const char* promptMessage;
        const char* create;
        const char* promptCancel;
    };

    const Texts english{ "Select a subdirectory in which to install the VST plug-in(s)", "Select", "Cancel", "Folder:",
                         "Go up to parent", "New Folder", "If your host software lists plugins", "Name of new folder",
                         "Create", "CANCEL" };
    const Texts spanish{ "Seleccione una subcarpeta en la que instalar los plug-ins VST", "Seleccionar", "Cancelar", "Carpeta:",
                         "Subir a la carpeta superior", "Nueva carpeta", "Si su programa anfitri", "Nombre de la nueva carpeta",
                         "Crear", "CANCELAR" };

    for (int language : { 0, 1 })
    {
        setLanguage (language);
        const auto& texts = language == 0 ? english : spanish;
        SCOPED_TRACE (language == 0 ? "English" : "Spanish");

        SubDirectoryChooser chooser (TRANS ("SELECT_SUBDIRECTORY_VST"), scratch.getFile().getFullPathName(), start.getFullPathName());
        StepDriver driver;
        juce::StringArray promptButtons;
        juce::String promptTitle, promptMessage, promptField;
        bool promptHasEditor = false;

        driver.then ("the dialog", dialogReady, [&]
                     {
                         DialogParts p;
                         auto& dialog = *p.dialog;
                         auto& content = *p.content;
                         EXPECT_EQ (dialog.getBounds().getWidth(), 600);
                         EXPECT_EQ (dialog.getBounds().getHeight(), 500);
                         EXPECT_EQ (dialog.getName(), texts.title);
                         EXPECT_EQ (content.getName(), texts.title);

                         // The rectangles follow the content's size, also at the size limits.
                         for (auto wanted : { juce::Rectangle<int> (0, 0, 600, 500), juce::Rectangle<int> (0, 0, 10, 10),
                                              juce::Rectangle<int> (0, 0, 5000, 5000) })
                         {
                             dialog.getConstrainer()->setBoundsForComponent (&dialog, wanted.withPosition (dialog.getPosition()),
                                                                             false, false, true, true);
                             const auto size = dialog.getBounds();

                             if (wanted.getWidth() == 10)
                                 EXPECT_EQ (size.getWidth() * 10000 + size.getHeight(), 300 * 10000 + 300);
                             if (wanted.getWidth() == 5000)
                                 EXPECT_EQ (size.getWidth() * 10000 + size.getHeight(), 1200 * 10000 + 1000);

                             const int w = content.getWidth(), h = content.getHeight();
                             const auto description = content.descriptionEditor->getBounds();
                             const auto header = content.text.getBoundingBox (0, -1, false);
                             const int y = juce::roundToInt (header.getBottom());

                             EXPECT_GT (y, 17) << w;
                             EXPECT_LT (y, w < 500 ? 70 : 40) << w;
                             EXPECT_EQ (description, juce::Rectangle<int> (8, y + 10, w - 16, 66)) << w;
                             EXPECT_EQ (p.browser->getY(), 2 * description.getY() + 88) << w;
                             EXPECT_EQ (p.browser->getBounds(), juce::Rectangle<int> (0, 2 * y + 108, w, juce::jmax (0, h - (2 * y + 108) - 54))) << w;
                             EXPECT_EQ (content.okButton->getBounds(), juce::Rectangle<int> (juce::roundToInt (w * 0.25f), h - 34, juce::roundToInt (w * 0.2f), 26)) << w;
                             EXPECT_EQ (content.cancelButton->getBounds(), juce::Rectangle<int> (juce::roundToInt (w * 0.55f), h - 34, juce::roundToInt (w * 0.2f), 26)) << w;

                             const int bw = p.browser->getWidth(), bh = p.browser->getHeight();
                             EXPECT_EQ (p.pathBox->getBounds(), juce::Rectangle<int> (8, 8, bw - 104, 22)) << w;
                             EXPECT_EQ (p.upButton->getBounds(), juce::Rectangle<int> (bw - 74, 8, 22, 22)) << w;
                             EXPECT_EQ (p.newFolderButton->getBounds(), juce::Rectangle<int> (bw - 30, 8, 22, 22)) << w;
                             EXPECT_EQ (p.tree->getBounds(), juce::Rectangle<int> (8, 52, juce::jmax (0, bw - 16), juce::jmax (0, bh - 96))) << w;
                             EXPECT_EQ (p.folderBox->getBounds(), juce::Rectangle<int> (78, bh - 22, bw - 86, 22)) << w;
                         }

                         // Texts, names and the fixed editor.
                         EXPECT_EQ (content.okButton->getButtonText(), texts.select);
                         EXPECT_EQ (content.cancelButton->getButtonText(), texts.cancel);
                         auto* label = findNamed<juce::Label> (*p.browser, "f");
                         EXPECT_TRUE (label != nullptr && label->getText() == texts.folder && label->getAttachedComponent() == p.folderBox);
                         EXPECT_EQ (p.upButton->getTooltip(), texts.up);
                         EXPECT_EQ (p.newFolderButton->getTooltip(), texts.newFolder);
                         EXPECT_TRUE (p.folderBox->isReadOnly());
                         auto& description = *content.descriptionEditor;
                         EXPECT_EQ (description.getName(), "labelDescription");
                         EXPECT_TRUE (description.getText().startsWith (texts.descriptionStart));
                         EXPECT_TRUE (description.isMultiLine());
                         EXPECT_FALSE (description.isEnabled());
                         EXPECT_EQ (description.getFont().getTypefaceName(), ProgramFonts::getFont ("Arial", 16.0f, juce::Font::plain).getTypefaceName());
                         EXPECT_EQ (description.getFont().getHeight(), 16.0f);

                         dialog.getConstrainer()->setBoundsForComponent (&dialog, dialog.getBounds().withSize (600, 500), false, false, true, true);
                         p.newFolderButton->triggerClick(); })
            .then (
                "the new-folder prompt", []
                { return getPrompt() != nullptr && getPrompt()->isShowing(); },
                [&]
                {
                      auto& prompt = *getPrompt();
                      promptTitle = prompt.getName();
                      promptMessage = ModalDriver::getMessage (prompt);
                      promptButtons = ModalDriver::getButtonTexts (prompt);
                      promptHasEditor = prompt.getTextEditor ("dirname") != nullptr;
                      promptField = prompt.getTextEditorContents ("dirname");
                      for (auto* button : prompt.getChildren())
                          if (auto* b = dynamic_cast<juce::Button*> (button))
                              EXPECT_FALSE (b->isRegisteredForShortcut (juce::KeyPress (juce::KeyPress::returnKey))
                                            || b->isRegisteredForShortcut (juce::KeyPress (juce::KeyPress::escapeKey)));
                      ModalDriver::pressButton (prompt, texts.promptCancel); })
            .then ("the dialog again", dialogReady, cancelDialog);

        EXPECT_FALSE (chooser.browse());
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
        EXPECT_EQ (promptTitle, texts.newFolder);
        EXPECT_EQ (promptMessage, texts.promptMessage);
        EXPECT_TRUE (promptHasEditor);
        EXPECT_EQ (promptField, texts.newFolder);
        EXPECT_EQ (promptButtons, juce::StringArray ({ texts.create, texts.promptCancel }));
    }

    setLanguage (0);
}

//==============================================================================
TEST (FolderChooser, ScanningThreadRunsOnlyWhileTheDialogIsOpen)
{
    BundleFixtures::ScratchFolder scratch;
    SubDirectoryChooser chooser ("Thread", scratch.getFile().getFullPathName(), scratch.getFile().getFullPathName());
    StepDriver driver;

    // Settle the threads the framework starts on first use before counting.
    TestEnvironment::runFor (50);
    const auto before = countThreadsOfThisProcess();
    int during = -1;
    bool running = false;
    juce::String name;

    driver.then ("the dialog", dialogReady, [&]
                 {
                     const auto& thread = DialogParts().browser->getScanningThread();
                     running = thread.isThreadRunning();
                     name = thread.getThreadName();
                     during = countThreadsOfThisProcess();
                     cancelDialog(); });

    chooser.browse();
    EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
    EXPECT_TRUE (running);
    EXPECT_EQ (name, "Juce FileBrowser");
    EXPECT_EQ (during, before + 1);

    // A stopped thread may stay listed for a moment after it has signalled its end.
    EXPECT_TRUE (TestEnvironment::runUntil ([&]
                                            { return countThreadsOfThisProcess() == before; }))
        << "the scanning thread ends with the dialog: " << countThreadsOfThisProcess() << " threads, " << before << " before";
}

//==============================================================================
TEST (FolderChooser, FormatSelectorsVstButtonStoresTheChosenSubfolder)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    setLanguage (0);
    const auto vstRoot = getDefaultVstFolder();
    const auto chosen = makeFolders (juce::File (vstRoot), { "Chosen" }).getChildFile ("Chosen");
    FormatSelector selector (true, nullptr);
    PluginManagerAlertWindow window ("Install/Update software", "Select formats", juce::MessageBoxIconType::NoIcon);
    window.addCustomComponent (&selector);
    window.addButton ("Install", 0);
    window.addButton ("Cancel", 1);

    auto vstButton = [&]
    { return findNamed<juce::Button> (selector, "m_VSTInstallLocationButton"); };
    auto selectorShown = [&]
    { return window.isCurrentlyModal() && window.isShowing() && getDialog() == nullptr; };

    juce::String title, afterChoice;
    bool selectorMappedUnderChooser = true, selectorMappedAfterPrompt = true, chooserModalAfterPrompt = false;
    bool selectorMappedAfterChooser = false;
    StepDriver driver;
    driver.then ("the selector's dialog", selectorShown, [&]
                 { vstButton()->triggerClick(); })
        .then (
            "the chooser listing the VST folder", [&]
            { DialogParts p; return p.isReady() && findRow (*p.tree, chosen) != nullptr; },
            [&]
            {
                title = DialogParts().dialog->getName();
                selectorMappedUnderChooser = isMappedOnScreen (window);
            });

    // A window that opens and closes inside the chooser leaves the selector's dialog hidden.
    addNewFolderSteps (driver, "Not made", "CANCEL");

    driver.then ("the chooser after the prompt", dialogReady, [&]
                 {
            selectorMappedAfterPrompt = isMappedOnScreen (window);
            chooserModalAfterPrompt = getDialog() != nullptr;
            DialogParts p;
            findRow (*p.tree, chosen)->setSelected (true, true);
            confirmDialog(); })
        .then (
            "the selector showing the chosen folder", [&]
            { return selectorShown() && selector.getVstLocation() != vstRoot; },
            [&]
            {
                selectorMappedAfterChooser = isMappedOnScreen (window);
                afterChoice = selector.getVstLocation();
                vstButton()->triggerClick();
            })
        .then ("the chooser again", dialogReady, cancelDialog)
        .then ("the selector after the chooser's cancel", selectorShown, [&]
               { ModalDriver::pressButton (window, "Cancel"); });

    // The selector's loop ends only once the chooser's nested one has returned.
    EXPECT_EQ (window.runModalLoop(), 1);
    EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
    const auto afterCancel = selector.getVstLocation();

    EXPECT_EQ (title, "Select a subdirectory in which to install the VST plug-in(s)");
    EXPECT_FALSE (selectorMappedUnderChooser) << "the selector's dialog steps aside for the chooser";
    EXPECT_FALSE (selectorMappedAfterPrompt) << "the selector's dialog shows again when the prompt closes";
    EXPECT_TRUE (chooserModalAfterPrompt);
    EXPECT_TRUE (selectorMappedAfterChooser) << "the selector's dialog is back after the chooser";
    EXPECT_FALSE (juce::File (vstRoot).getChildFile ("Not made").exists());
    EXPECT_EQ (afterChoice, chosen.getFullPathName() + "/");
    EXPECT_EQ (afterCancel, chosen.getFullPathName() + "/") << "a cancelled chooser changes nothing";
    EXPECT_EQ (ProductCatalogue::getInstance().getVstInstallFolder(), chosen.getFullPathName() + "/")
        << "kept after the selector's own cancel";
}
