#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "platform/PlatformAuthorization.h"

class RoundTextEditor;

//==============================================================================
// Lists the directories a folder browser shows: every folder except bundles, that is folders
// whose Contents folder holds a PkgInfo file. Files are never listed.
class DirectoriesOnlyFilter final : public juce::FileFilter
{
public:
    DirectoriesOnlyFilter();
    ~DirectoriesOnlyFilter() override;

    bool isFileSuitable (const juce::File& file) const override;
    bool isDirectorySuitable (const juce::File& directory) const override;
};

//==============================================================================
// A folder browser: a tree of the folders under the current folder, a path drop-down filled with
// the catalogue's found plug-in folders, an up button that stops at the root folder, a new-folder
// button (with administrator rights when a plain create fails) and a read-only box holding the
// selected folder relative to the current one.
class SubDirectoryBrowserComponent final : public juce::Component,
                                           public juce::ChangeBroadcaster,
                                           private juce::FileBrowserListener,
                                           private juce::TextEditor::Listener,
                                           private juce::Button::Listener,
                                           private juce::ComboBox::Listener
{
public:
    // The options say how the rights for a privileged folder creation are asked for; the
    // program passes none.
    SubDirectoryBrowserComponent (const juce::File& rootFolder, const juce::File& startFolder,
                                  const PlatformAuthorization::Options& authorizationOptions = {});
    ~SubDirectoryBrowserComponent() override;

    //==============================================================================
    void setRoot (const juce::File& folder);
    void goUp();

    // The current folder joined with the folder box's relative path.
    juce::File getSelectedFile() const;
    bool currentFileIsValid() const;

    juce::String getActionVerb() const;

    // The catalogue's found folders of the format whose default folder holds the root folder;
    // returns the positions before which a separator goes (none).
    juce::BigInteger getRoots (juce::StringArray& rootNames, juce::StringArray& rootPaths) const;

    void addListener (juce::FileBrowserListener* listener);
    void removeListener (juce::FileBrowserListener* listener);

    //==============================================================================
    const juce::File& getCurrentRoot() const noexcept { return currentRoot; }
    const juce::TimeSliceThread& getScanningThread() const noexcept { return thread; }

    // The privileged commands of the last new-folder step that asked for rights, tool first.
    const juce::Array<juce::StringArray>& getLastPrivilegedCommands() const noexcept { return lastPrivilegedCommands; }

    // The folder a name typed in the new-folder prompt names, below the current folder; a
    // nonexistent file when the name would leave it or the current folder is not a plain
    // absolute path.
    static juce::File makeNewFolderTarget (const juce::File& currentFolder, const juce::String& name);

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    //==============================================================================
    void buttonClicked (juce::Button* button) override;
    void comboBoxChanged (juce::ComboBox* comboBox) override;
    void textEditorTextChanged (juce::TextEditor& editor) override;
    void textEditorReturnKeyPressed (juce::TextEditor& editor) override;
    void textEditorEscapeKeyPressed (juce::TextEditor& editor) override;
    void textEditorFocusLost (juce::TextEditor& editor) override;
    void selectionChanged() override;
    void fileClicked (const juce::File& file, const juce::MouseEvent& e) override;
    void fileDoubleClicked (const juce::File& file) override;
    void browserRootChanged (const juce::File& newRoot) override;

    void sendListenerChangeMessage();
    void createNewFolder();
    void createWithPrivileges (const juce::File& target);

    //==============================================================================
    juce::TimeSliceThread thread{ "Juce FileBrowser" };
    std::unique_ptr<DirectoriesOnlyFilter> filter;
    std::unique_ptr<juce::DirectoryContentsList> fileList;
    juce::File currentRoot, rootFolder;
    juce::ListenerList<juce::FileBrowserListener> listeners;

    std::unique_ptr<juce::FileTreeComponent> fileListComponent;
    std::unique_ptr<juce::ComboBox> currentPathBox;
    std::unique_ptr<RoundTextEditor> filenameBox;
    std::unique_ptr<juce::Label> filenameLabel;
    std::unique_ptr<juce::Button> goUpButton;
    std::unique_ptr<juce::ImageButton> newFolderButton;

    PlatformAuthorization::Options authorizationOptions;
    std::unique_ptr<PlatformAuthorization> authorizationRef;
    juce::Array<juce::StringArray> lastPrivilegedCommands;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SubDirectoryBrowserComponent)
};
