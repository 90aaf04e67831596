#include "ui/folders/SubDirectoryBrowserComponent.h"

#include "catalogue/ProductCatalogue.h"
#include "ui/widgets/PluginManagerAlertWindow.h"
#include "ui/widgets/RoundTextEditor.h"

namespace
{
// The framework's folder picture, drawn once into an image of its own proportions.
juce::Image renderFolderImage()
{
    auto* drawable = juce::LookAndFeel::getDefaultLookAndFeel().getDefaultFolderImage();

    if (drawable == nullptr)
        return {};

    auto bounds = drawable->getDrawableBounds();
    const int width = 96;
    const int height = bounds.getWidth() > 0.0f ? juce::jmax (1, juce::roundToInt (width * bounds.getHeight() / bounds.getWidth()))
                                                : width;

    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    drawable->drawWithin (g, image.getBounds().toFloat(), juce::RectanglePlacement::centred, 1.0f);
    return image;
}

bool hasControlCharacter (const juce::String& text)
{
    for (auto c : text)
        if (c < 0x20 || c == 0x7f)
            return true;

    return false;
}

// An absolute path without "." or ".." parts and without control characters.
bool isPlainAbsolutePath (const juce::String& path)
{
    if (! path.startsWithChar ('/') || hasControlCharacter (path))
        return false;

    for (auto& part : juce::StringArray::fromTokens (path, "/", {}))
        if (part == "." || part == "..")
            return false;

    return true;
}

// Notes whether a button was clicked: a prompt closed any other way answers as its cancel.
struct ClickRecorder final : public juce::Button::Listener
{
    void buttonClicked (juce::Button*) override { clicked = true; }

    bool clicked = false;
};

juce::Button* findButtonReturning (juce::Component& window, int returnValue)
{
    for (auto* child : window.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            if (button->getCommandID() == returnValue)
                return button;

    return nullptr;
}
} // namespace

//==============================================================================
DirectoriesOnlyFilter::DirectoriesOnlyFilter()
    : juce::FileFilter ({})
{
}

DirectoriesOnlyFilter::~DirectoriesOnlyFilter() = default;

bool DirectoriesOnlyFilter::isFileSuitable (const juce::File&) const
{
    return false;
}

bool DirectoriesOnlyFilter::isDirectorySuitable (const juce::File& directory) const
{
    const auto contents = directory.getChildFile ("Contents");

    return ! (directory.isDirectory() && contents.isDirectory() && contents.getChildFile ("PkgInfo").existsAsFile());
}

//==============================================================================
SubDirectoryBrowserComponent::SubDirectoryBrowserComponent (const juce::File& rootFolderToUse,
                                                            const juce::File& startFolder,
                                                            const PlatformAuthorization::Options& optionsToUse)
    : currentRoot (startFolder)
    , rootFolder (rootFolderToUse)
    , authorizationOptions (optionsToUse)
{
    filter = std::make_unique<DirectoriesOnlyFilter>();
    fileList = std::make_unique<juce::DirectoryContentsList> (filter.get(), thread);

    fileListComponent = std::make_unique<juce::FileTreeComponent> (*fileList);
    fileListComponent->setMultiSelectEnabled (false);
    addAndMakeVisible (*fileListComponent);
    fileListComponent->addListener (this);

    currentPathBox = std::make_unique<juce::ComboBox> ("path");
    addAndMakeVisible (*currentPathBox);
    currentPathBox->setEditableText (false);
    currentPathBox->setOpaque (false);

    juce::StringArray rootNames, rootPaths;
    const auto separators = getRoots (rootNames, rootPaths);

    for (int i = 0; i < rootNames.size(); ++i)
    {
        if (separators[i])
            currentPathBox->addSeparator();

        currentPathBox->addItem (rootNames[i], i + 1);
    }

    currentPathBox->addSeparator();
    currentPathBox->addListener (this);

    filenameBox = std::make_unique<RoundTextEditor> (juce::String());
    addAndMakeVisible (*filenameBox);
    filenameBox->setMultiLine (false);
    filenameBox->setSelectAllWhenFocused (true);
    filenameBox->addListener (this);
    filenameBox->setReadOnly (true);
    filenameBox->setOpaque (false);

    filenameLabel = std::make_unique<juce::Label> ("f", TRANS ("LAB_FOLDER"));
    addAndMakeVisible (*filenameLabel);
    filenameLabel->attachToComponent (filenameBox.get(), true);

    goUpButton.reset (getLookAndFeel().createFileBrowserGoUpButton());
    addAndMakeVisible (*goUpButton);
    goUpButton->addListener (this);
    goUpButton->setTooltip (TRANS ("TT_UP_TO_PARENT"));

    newFolderButton = std::make_unique<juce::ImageButton> ("create directory");
    addAndMakeVisible (*newFolderButton);
    newFolderButton->addListener (this);
    newFolderButton->setTooltip (TRANS ("TT_NEW_FOLDER"));

    const auto folderImage = renderFolderImage();
    const auto overlay = juce::Colours::yellow;
    newFolderButton->setImages (false, true, true,
                                folderImage, 1.0f, overlay.withMultipliedBrightness (0.7f),
                                folderImage, 0.7f, overlay.withMultipliedBrightness (0.85f),
                                folderImage, 0.9f, overlay.withMultipliedBrightness (1.1f),
                                0.0f);

    setRoot (currentRoot);

    thread.startThread (juce::Thread::Priority::low);
}

SubDirectoryBrowserComponent::~SubDirectoryBrowserComponent()
{
    fileListComponent->removeListener (this);
    removeAllChildren();

    newFolderButton.reset();
    goUpButton.reset();
    filenameLabel.reset();
    filenameBox.reset();
    currentPathBox.reset();
    fileListComponent.reset();

    fileList.reset();
    filter.reset();
    thread.stopThread (10000);
}

//==============================================================================
void SubDirectoryBrowserComponent::setRoot (const juce::File& folder)
{
    // The folder may belong to a tree row that the refresh below deletes.
    const juce::File newRoot (folder);

    if (newRoot != currentRoot)
    {
        fileListComponent->scrollToTop();
        filenameBox->setText ({}, false);

        auto path = newRoot.getFullPathName();

        if (path.isEmpty())
            path = "/";

        juce::StringArray rootNames, rootPaths;
        getRoots (rootNames, rootPaths);

        if (! rootPaths.contains (path, true))
        {
            bool alreadyListed = false;

            for (int i = currentPathBox->getNumItems(); --i >= 0;)
                if (currentPathBox->getItemText (i).equalsIgnoreCase (path))
                    alreadyListed = true;

            if (! alreadyListed)
                currentPathBox->addItem (path, currentPathBox->getNumItems() + 2);
        }
    }

    currentRoot = newRoot;
    fileList->setDirectory (currentRoot, true, true);
    fileListComponent->refresh();

    auto currentRootName = currentRoot.getFullPathName();
    currentPathBox->setText (currentRootName.isEmpty() ? juce::String ("/") : currentRootName, juce::dontSendNotification);

    const auto parent = currentRoot.getParentDirectory();
    goUpButton->setEnabled (parent.isDirectory() && parent != currentRoot && rootFolder != currentRoot);

    // The tree dropped its rows without a word: the listeners look at the choice again.
    sendListenerChangeMessage();
}

void SubDirectoryBrowserComponent::goUp()
{
    if (rootFolder != currentRoot)
        setRoot (currentRoot.getParentDirectory());
}

juce::File SubDirectoryBrowserComponent::getSelectedFile() const
{
    return currentRoot.getChildFile (filenameBox->getText());
}

bool SubDirectoryBrowserComponent::currentFileIsValid() const
{
    return getSelectedFile().isDirectory();
}

juce::String SubDirectoryBrowserComponent::getActionVerb() const
{
    return TRANS ("BUT_SELECT");
}

juce::BigInteger SubDirectoryBrowserComponent::getRoots (juce::StringArray& rootNames, juce::StringArray& rootPaths) const
{
    auto& catalogue = ProductCatalogue::getInstance();
    const auto path = rootFolder.getFullPathName();

    // The default-folder test and the found folders of each format, in the order RTAS, VST,
    // VST64, AU: the first format whose default folder holds the root gives the list.
    struct FoundFolders
    {
        bool (ProductCatalogue::*holdsPath) (juce::String) const;
        int (ProductCatalogue::*count)() const noexcept;
        juce::String (ProductCatalogue::*folder) (int) const;
    };

    static constexpr FoundFolders formats[] = {
        { &ProductCatalogue::isInDefaultRtasFolder, &ProductCatalogue::getNumFoundRtasFolders, &ProductCatalogue::getFoundRtasFolder },
        { &ProductCatalogue::isInDefaultVstFolder, &ProductCatalogue::getNumFoundVstFolders, &ProductCatalogue::getFoundVstFolder },
        { &ProductCatalogue::isInDefaultVst64Folder, &ProductCatalogue::getNumFoundVst64Folders, &ProductCatalogue::getFoundVst64Folder },
        { &ProductCatalogue::isInDefaultAuFolder, &ProductCatalogue::getNumFoundAuFolders, &ProductCatalogue::getFoundAuFolder },
    };

    for (auto& format : formats)
    {
        if (! (catalogue.*format.holdsPath) (path))
            continue;

        for (int i = 0; i < (catalogue.*format.count)(); ++i)
        {
            const auto folder = (catalogue.*format.folder) (i);
            rootPaths.add (folder);
            rootNames.add (folder);
        }

        break;
    }

    return {};
}

void SubDirectoryBrowserComponent::addListener (juce::FileBrowserListener* listener)
{
    listeners.add (listener);
}

void SubDirectoryBrowserComponent::removeListener (juce::FileBrowserListener* listener)
{
    listeners.remove (listener);
}

void SubDirectoryBrowserComponent::sendListenerChangeMessage()
{
    juce::Component::BailOutChecker checker (this);
    listeners.callChecked (checker, [] (juce::FileBrowserListener& l)
                           { l.selectionChanged(); });
}

juce::File SubDirectoryBrowserComponent::makeNewFolderTarget (const juce::File& currentFolder, const juce::String& name)
{
    const auto base = currentFolder.getFullPathName();

    if (! isPlainAbsolutePath (base) || hasControlCharacter (name))
        return {};

    auto path = base.trimCharactersAtEnd ("/");

    for (auto& part : juce::StringArray::fromTokens (name, "/", {}))
    {
        if (part.isEmpty())
            continue;

        if (part == "." || part == "..")
            return {};

        path << "/" << part;
    }

    return juce::File (path.isEmpty() ? juce::String ("/") : path);
}

//==============================================================================
void SubDirectoryBrowserComponent::paint (juce::Graphics&)
{
}

void SubDirectoryBrowserComponent::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();

    currentPathBox->setBounds (8, 8, w - 104, 22);
    goUpButton->setBounds (w - 74, 8, 22, 22);
    newFolderButton->setBounds (w - 30, 8, 22, 22);
    fileListComponent->setBounds (8, 52, w - 16, h - 96);

    // Below the tree, also when a short browser leaves the tree no height.
    filenameBox->setBounds (78, h - 22, w - 86, 22);
}

//==============================================================================
void SubDirectoryBrowserComponent::buttonClicked (juce::Button* button)
{
    if (button == goUpButton.get())
    {
        goUp();
    }
    else if (button == newFolderButton.get())
    {
        createNewFolder();
        fileList->refresh();
        sendListenerChangeMessage();
        return;
    }

    fileList->refresh();
}

void SubDirectoryBrowserComponent::createNewFolder()
{
    PluginManagerAlertWindow prompt (TRANS ("LAB_NEW_FOLDER"), TRANS ("TXT_NAME_OF_NEW_FOLDER"), juce::MessageBoxIconType::NoIcon);
    prompt.addTextEditor ("dirname", TRANS ("LAB_NEW_FOLDER"), {});
    prompt.addButton (TRANS ("Create"), 0);
    prompt.addButton (TRANS ("Cancel"), 1);

    ClickRecorder create;
    auto* createButton = findButtonReturning (prompt, 0);

    if (createButton != nullptr)
        createButton->addListener (&create);

    const auto result = prompt.runModalLoop();

    if (createButton != nullptr)
        createButton->removeListener (&create);

    if (result != 0 || ! create.clicked)
        return;

    const auto target = makeNewFolderTarget (currentRoot, prompt.getTextEditorContents ("dirname"));

    if (target == juce::File())
        return;

    if (target.createDirectory().failed())
        createWithPrivileges (target);
}

void SubDirectoryBrowserComponent::createWithPrivileges (const juce::File& target)
{
    lastPrivilegedCommands.clear();
    authorizationRef = PlatformAuthorization::create (authorizationOptions);

    if (authorizationRef == nullptr)
        return;

    const auto rightsFlags = PlatformAuthorization::flagInteractionAllowed
                             | PlatformAuthorization::flagExtendRights
                             | PlatformAuthorization::flagPreAuthorize;

    // The command runs only with the rights granted, and is waited for, so that the refresh
    // that follows sees its folder.
    if (authorizationRef->copyRights (PlatformAuthorization::adminRight, rightsFlags, { currentRoot.getFullPathName() }))
        authorizationRef->executeWithPrivileges ("/bin/mkdir", { "-p", target.getFullPathName() });

    lastPrivilegedCommands = authorizationRef->getCommandLog();
    authorizationRef->free (PlatformAuthorization::flagDestroyRights);
    authorizationRef.reset();
}

void SubDirectoryBrowserComponent::comboBoxChanged (juce::ComboBox*)
{
    const auto newText = currentPathBox->getText().trim().unquoted();

    if (newText.isEmpty())
        return;

    const auto index = currentPathBox->getSelectedId() - 1;

    juce::StringArray rootNames, rootPaths;
    getRoots (rootNames, rootPaths);

    if (juce::isPositiveAndBelow (index, rootPaths.size()) && rootPaths[index].isNotEmpty())
    {
        setRoot (juce::File (rootPaths[index]));
        return;
    }

    if (! juce::File::isAbsolutePath (newText))
        return;

    juce::File folder (newText);

    while (! folder.isDirectory())
    {
        const auto parent = folder.getParentDirectory();

        if (parent == folder)
            return;

        folder = parent;
    }

    setRoot (folder);
}

void SubDirectoryBrowserComponent::textEditorTextChanged (juce::TextEditor&)
{
    sendListenerChangeMessage();
}

void SubDirectoryBrowserComponent::textEditorReturnKeyPressed (juce::TextEditor&)
{
}

void SubDirectoryBrowserComponent::textEditorEscapeKeyPressed (juce::TextEditor&)
{
}

void SubDirectoryBrowserComponent::textEditorFocusLost (juce::TextEditor&)
{
    selectionChanged();
}

void SubDirectoryBrowserComponent::selectionChanged()
{
    // Nothing selected counts as the current folder itself.
    const auto selected = fileListComponent->getSelectedFile (0);

    if (selected == juce::File())
        filenameBox->setText ({}, false);
    else if (selected.isDirectory())
        filenameBox->setText (selected.getRelativePathFrom (currentRoot), false);

    sendListenerChangeMessage();
}

void SubDirectoryBrowserComponent::fileClicked (const juce::File& file, const juce::MouseEvent& e)
{
    juce::Component::BailOutChecker checker (this);
    listeners.callChecked (checker, [&] (juce::FileBrowserListener& l)
                           { l.fileClicked (file, e); });
}

void SubDirectoryBrowserComponent::fileDoubleClicked (const juce::File& f)
{
    // The file belongs to a tree row that setRoot deletes.
    const juce::File file (f);

    if (file.isDirectory())
    {
        setRoot (file);
        return;
    }

    juce::Component::BailOutChecker checker (this);
    listeners.callChecked (checker, [&] (juce::FileBrowserListener& l)
                           { l.fileDoubleClicked (file); });
}

void SubDirectoryBrowserComponent::browserRootChanged (const juce::File&)
{
}
