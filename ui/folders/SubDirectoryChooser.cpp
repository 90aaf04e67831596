#include "ui/folders/SubDirectoryChooser.h"

#include "ui/widgets/ModalWindowStacking.h"
#include "ui/widgets/ProgramFonts.h"

SubDirectoryChooser::SubDirectoryChooser (const juce::String& titleToUse, const juce::String& rootFolderPath,
                                          const juce::String& startFolderPath,
                                          const PlatformAuthorization::Options& optionsToUse)
    : title (titleToUse)
    , startFolder (startFolderPath)
    , rootFolder (rootFolderPath)
    , authorizationOptions (optionsToUse)
{
}

SubDirectoryChooser::~SubDirectoryChooser() = default;

bool SubDirectoryChooser::browse()
{
    juce::Component::SafePointer<juce::Component> previouslyFocused (juce::Component::getCurrentlyFocusedComponent());

    results.clear();

    {
        SubDirectoryBrowserComponent browser (rootFolder, startFolder, authorizationOptions);

        {
            SubDirectoryChooserDialogBox dialog (title, {}, browser, juce::Colours::black);

            if (dialog.show (0, 0))
                results.add (new juce::File (browser.getSelectedFile()));

            if (previouslyFocused != nullptr)
                previouslyFocused->grabKeyboardFocus();
        }
    }

    return results.size() > 0;
}

juce::File SubDirectoryChooser::getResult() const
{
    jassert (results.size() <= 1);

    if (auto* first = results.getFirst())
        return *first;

    return {};
}

juce::String chooseSubDirectory (const juce::String& title, const juce::String& rootFolderPath, const juce::String& startFolderPath)
{
    SubDirectoryChooser chooser (title, rootFolderPath, startFolderPath);
    chooser.browse();
    return chooser.getResult().getFullPathName();
}

//==============================================================================
SubDirectoryChooserDialogBox::SubDirectoryChooserDialogBox (const juce::String& title, const juce::String& instructions,
                                                            SubDirectoryBrowserComponent& browser,
                                                            juce::Colour backgroundColour)
    : juce::ResizableWindow (title, backgroundColour, false)
{
    content = new ContentComponent (title, instructions, browser);

    content->okButton->addListener (this);
    content->cancelButton->addListener (this);

    setContentOwned (content, false);
    setResizable (true, true);
    setResizeLimits (300, 300, 1200, 1000);
    ModalWindowStacking::watch (*this);

    browser.addListener (this);
}

SubDirectoryChooserDialogBox::~SubDirectoryChooserDialogBox()
{
    content->chooserComponent.removeListener (this);
}

bool SubDirectoryChooserDialogBox::show (int width, int height)
{
    centreWithSize (width <= 0 ? 600 : width, height <= 0 ? 500 : height);

    // The native window is made only now, at its size and place.
    if (! isOnDesktop())
        addToDesktop();

    const auto confirmed = runModalLoop() != 0;
    setVisible (false);
    return confirmed;
}

void SubDirectoryChooserDialogBox::buttonClicked (juce::Button* button)
{
    if (button == content->okButton.get())
        exitModalState (1);
    else if (button == content->cancelButton.get())
        setVisible (false);
}

void SubDirectoryChooserDialogBox::selectionChanged()
{
    content->okButton->setEnabled (content->chooserComponent.currentFileIsValid());
}

void SubDirectoryChooserDialogBox::fileClicked (const juce::File&, const juce::MouseEvent&)
{
}

void SubDirectoryChooserDialogBox::fileDoubleClicked (const juce::File&)
{
    selectionChanged();
    content->okButton->triggerClick();
}

void SubDirectoryChooserDialogBox::browserRootChanged (const juce::File&)
{
}

//==============================================================================
SubDirectoryChooserDialogBox::ContentComponent::ContentComponent (const juce::String& name, const juce::String& instructionsToShow,
                                                                  SubDirectoryBrowserComponent& browser)
    : instructions (instructionsToShow)
    , chooserComponent (browser)
{
    setName (name);
    setInterceptsMouseClicks (false, true);

    addAndMakeVisible (chooserComponent);

    okButton = std::make_unique<juce::TextButton> (chooserComponent.getActionVerb());
    addAndMakeVisible (*okButton);
    okButton->setEnabled (chooserComponent.currentFileIsValid());
    okButton->addShortcut (juce::KeyPress (juce::KeyPress::returnKey, 0, 0));

    cancelButton = std::make_unique<juce::TextButton> (TRANS ("BUT_CANCEL"));
    addAndMakeVisible (*cancelButton);
    cancelButton->addShortcut (juce::KeyPress (juce::KeyPress::escapeKey, 0, 0));

    descriptionEditor = std::make_unique<juce::TextEditor> (TRANS ("labelDescription"), 0);
    descriptionEditor->setMultiLine (true, true);
    descriptionEditor->setFont (ProgramFonts::getFont ("Arial", 16.0f, juce::Font::plain));
    descriptionEditor->setText (TRANS ("TXT_SELECT_FOLDER_DESCRIPTION"));
    descriptionEditor->setEnabled (false);
    addAndMakeVisible (*descriptionEditor);
}

SubDirectoryChooserDialogBox::ContentComponent::~ContentComponent()
{
    // The browser belongs to the chooser.
    removeChildComponent (&chooserComponent);
}

void SubDirectoryChooserDialogBox::ContentComponent::layOutHeaderText (const juce::String& title, const juce::String& instructionsToShow,
                                                                       juce::GlyphArrangement& text, int width)
{
    text.clear();
    text.addJustifiedText (juce::Font (17.0f, juce::Font::bold), title, 8.0f, 22.0f, (float) width - 16.0f,
                           juce::Justification::centred);

    const auto titleBaseline = text.getNumGlyphs() > 0 ? text.getGlyph (text.getNumGlyphs() - 1).getBaselineY() : 22.0f;
    text.addJustifiedText (juce::Font (14.0f), instructionsToShow, 8.0f, titleBaseline + 18.0f, (float) width - 16.0f,
                           juce::Justification::centred);
}

void SubDirectoryChooserDialogBox::ContentComponent::paint (juce::Graphics& g)
{
    g.setColour (juce::Colour (198, 253, 254));
    text.draw (g);
}

void SubDirectoryChooserDialogBox::ContentComponent::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();

    layOutHeaderText (getName(), instructions, text, w);

    const auto y = juce::roundToInt (text.getBoundingBox (0, -1, false).getBottom());

    descriptionEditor->setBounds (8, y + 10, w - 16, 66);

    // The header's bottom counts twice: y + the editor's bottom + 32.
    const auto top = y + descriptionEditor->getBottom() + 32;
    chooserComponent.setBounds (0, top, w, h - top - 54);

    okButton->setBounds (proportionOfWidth (0.25f), h - 34, proportionOfWidth (0.2f), 26);
    cancelButton->setBounds (proportionOfWidth (0.55f), h - 34, proportionOfWidth (0.2f), 26);
}
