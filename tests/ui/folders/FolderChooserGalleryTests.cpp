#include "FolderChooserTestSupport.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "localisation/Languages.h"

#include <cstdlib>

using namespace FolderChooserTestSupport;

namespace
{
juce::File galleryFile()
{
    if (auto* path = std::getenv ("QUORVELAN_FOLDER_CHOOSER_PNG"))
        if (*path != 0)
            return juce::File::getCurrentWorkingDirectory().getChildFile (path);

    return juce::File ("/tmp/quorvelan-folder-chooser.png");
}

juce::Image snapshot (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds());
}

// The open drop-down's menu: the modal window that is neither the dialog nor a prompt.
juce::Component* findOpenMenu()
{
    auto* modal = juce::Component::getCurrentlyModalComponent();
    return modal != nullptr && getDialog() == nullptr && getPrompt() == nullptr && modal->isShowing() ? modal : nullptr;
}

struct Shots
{
    juce::String caption;
    juce::Image dialog, menu, prompt;
};

juce::Image compose (const std::vector<Shots>& rows)
{
    const int margin = 16, captionHeight = 26, gap = 16;
    int width = 0, height = margin;

    for (auto& row : rows)
    {
        width = juce::jmax (width, margin + row.dialog.getWidth() + gap + juce::jmax (row.menu.getWidth(), row.prompt.getWidth()) + margin);
        height += captionHeight + juce::jmax (row.dialog.getHeight(), row.menu.getHeight() + gap + row.prompt.getHeight()) + gap;
    }

    juce::Image sheet (juce::Image::ARGB, width, height, true);
    juce::Graphics g (sheet);
    g.fillAll (juce::Colour (0xff303840));

    int y = margin;

    for (auto& row : rows)
    {
        g.setColour (juce::Colour (0xffc6fdfe));
        g.setFont (juce::Font (16.0f, juce::Font::bold));
        g.drawText (row.caption, margin, y, width - 2 * margin, captionHeight, juce::Justification::centredLeft, false);
        y += captionHeight;

        g.drawImageAt (row.dialog, margin, y);
        const int x = margin + row.dialog.getWidth() + gap;
        g.drawImageAt (row.menu, x, y);
        g.drawImageAt (row.prompt, x, y + row.menu.getHeight() + gap);
        y += juce::jmax (row.dialog.getHeight(), row.menu.getHeight() + gap + row.prompt.getHeight()) + gap;
    }

    return sheet;
}
} // namespace

TEST (FolderChooserGallery, WritesTheDialogTheDropDownAndThePrompt)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    ScopedProgramColours colours;
    auto& catalogue = ProductCatalogue::getInstance();
    const juce::File vst (getDefaultVstFolder());

    for (auto* path : { "Effects/Delays", "Effects/Reverbs", "Instruments", "Synths" })
        vst.getChildFile (path).createDirectory();

    catalogue.addFoundVstFolder (vst.getFullPathName());
    catalogue.addFoundVstFolder (vst.getChildFile ("Synths").getFullPathName());
    catalogue.addFoundVstFolder (vst.getChildFile ("Effects/Delays").getFullPathName());

    std::vector<Shots> rows;

    for (int language : { 0, 1 })
    {
        setLanguage (language);
        Shots shots;
        shots.caption = language == 0 ? "English" : "Spanish";

        const auto effects = vst.getChildFile ("Effects");
        SubDirectoryChooser chooser (TRANS ("SELECT_SUBDIRECTORY_VST"), vst.getFullPathName(), vst.getFullPathName());
        StepDriver driver;

        driver.then (
                  "the listing", [&]
                  { DialogParts p; return p.isReady() && findRow (*p.tree, effects) != nullptr; },
                  [&]
                  { findRow (*DialogParts().tree, effects)->setOpen (true); })
            .then (
                "the opened folder", [&]
                { DialogParts p; return p.tree != nullptr && findRow (*p.tree, effects.getChildFile ("Reverbs")) != nullptr; },
                [&]
                {
                    DialogParts p;
                    findRow (*p.tree, effects.getChildFile ("Reverbs"))->setSelected (true, true);
                })
            .then (
                "the selection painted", []
                { return true; },
                [&]
                {
                    DialogParts p;
                    EXPECT_EQ (p.folderBox->getText(), "Effects/Reverbs");
                    shots.dialog = snapshot (*p.dialog);
                    p.pathBox->showPopup();
                })
            .then (
                "the drop-down's menu", []
                { return findOpenMenu() != nullptr; },
                [&]
                {
                    shots.menu = snapshot (*findOpenMenu());
                    juce::PopupMenu::dismissAllActiveMenus();
                })
            .then ("the dialog after the menu", dialogReady, []
                   { DialogParts().newFolderButton->triggerClick(); })
            .then (
                "the prompt", []
                { return getPrompt() != nullptr && getPrompt()->isShowing(); },
                [&]
                {
                    auto& prompt = *getPrompt();
                    shots.prompt = snapshot (prompt);
                    ModalDriver::pressButton (prompt, TRANS ("Cancel"));
                })
            .then ("the dialog after the prompt", dialogReady, []
                   { DialogParts().content->cancelButton->triggerClick(); });

        chooser.browse();
        EXPECT_TRUE (driver.failure.isEmpty()) << driver.failure;
        ASSERT_TRUE (shots.dialog.isValid() && shots.menu.isValid() && shots.prompt.isValid());
        rows.push_back (shots);
    }

    setLanguage (0);

    const auto file = galleryFile();
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk());
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (compose (rows), out));
}
