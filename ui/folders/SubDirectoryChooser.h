#pragma once

#include "ui/folders/SubDirectoryBrowserComponent.h"

//==============================================================================
// Lets the customer pick one folder below a root folder in a modal dialog. Built on the stack
// for one pick: construct, browse, then read the result whatever browse returned.
class SubDirectoryChooser final
{
public:
    SubDirectoryChooser (const juce::String& title, const juce::String& rootFolderPath, const juce::String& startFolderPath,
                         const PlatformAuthorization::Options& authorizationOptions = {});
    ~SubDirectoryChooser();

    // Runs the dialog; true when a folder was chosen.
    bool browse();

    // The chosen folder, or a file with an empty path when none was.
    juce::File getResult() const;

private:
    juce::String title;
    juce::File startFolder, rootFolder;
    juce::OwnedArray<juce::File> results;
    PlatformAuthorization::Options authorizationOptions;

    JUCE_DECLARE_NON_COPYABLE (SubDirectoryChooser)
};

// Runs a chooser and returns the full path of its result: "" when nothing was chosen.
juce::String chooseSubDirectory (const juce::String& title, const juce::String& rootFolderPath, const juce::String& startFolderPath);

//==============================================================================
// The chooser's window: a header with the title, a fixed explanatory text, the browser, and the
// "Select" and "Cancel" buttons.
class SubDirectoryChooserDialogBox final : public juce::ResizableWindow,
                                           private juce::Button::Listener,
                                           private juce::FileBrowserListener
{
public:
    SubDirectoryChooserDialogBox (const juce::String& title, const juce::String& instructions,
                                  SubDirectoryBrowserComponent& browser, juce::Colour backgroundColour);
    ~SubDirectoryChooserDialogBox() override;

    // Runs the dialog modally at this size (600 x 500 for sizes of 0 or less), centred; true
    // when it was confirmed.
    bool show (int width = 0, int height = 0);

    class ContentComponent;

private:
    void buttonClicked (juce::Button* button) override;
    void selectionChanged() override;
    void fileClicked (const juce::File& file, const juce::MouseEvent& e) override;
    void fileDoubleClicked (const juce::File& file) override;
    void browserRootChanged (const juce::File& newRoot) override;

    ContentComponent* content = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SubDirectoryChooserDialogBox)
};

//==============================================================================
class SubDirectoryChooserDialogBox::ContentComponent final : public juce::Component
{
public:
    ContentComponent (const juce::String& name, const juce::String& instructions, SubDirectoryBrowserComponent& browser);
    ~ContentComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    // The header: the title in bold 17, the instructions at 14 below it, centred and wrapped to
    // the width less 16.
    static void layOutHeaderText (const juce::String& title, const juce::String& instructions,
                                  juce::GlyphArrangement& text, int width);

    juce::String instructions;
    juce::GlyphArrangement text;
    SubDirectoryBrowserComponent& chooserComponent;
    std::unique_ptr<juce::TextButton> okButton, cancelButton;
    std::unique_ptr<juce::TextEditor> descriptionEditor;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ContentComponent)
};
