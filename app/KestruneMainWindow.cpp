#include "app/KestruneMainWindow.h"

#include "services/ProgramQuit.h"
#include "services/ProgramValues.h"
#include "services/SettingsFiles.h"
#include "ui/screens/QuorvelanMainComponent.h"
#include "ui/widgets/PluginManagerAlertWindow.h"

namespace
{
const juce::Colour textColour (198, 253, 254);

juce::String makeWindowTitle()
{
    return TRANS ("TXT_APP_TITLE") + " v" + getVersionText();
}
} // namespace

KestruneMainWindow::KestruneMainWindow()
    : juce::DocumentWindow (makeWindowTitle(), juce::Colours::lightgrey, juce::DocumentWindow::closeButton, false)
{
    mainComponent = new QuorvelanMainComponent();

#if JUCE_MAC
    setTitleBarButtonsRequired (juce::DocumentWindow::closeButton, true);
#else
    setTitleBarButtonsRequired (juce::DocumentWindow::closeButton, false);
#endif
    setUsingNativeTitleBar (true);
    setContentOwned (mainComponent, false);
    setResizable (false, false);
    centreWithSize (785, 480);

    // The native window is made only now, at its size and place: a window manager that is slow to
    // apply changes would otherwise show it at the framework's smallest size in the corner.
    addToDesktop();
    setVisible (true);

    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    lf.setColour (juce::DirectoryContentsDisplayComponent::textColourId, textColour);
    lf.setColour (juce::DirectoryContentsDisplayComponent::highlightColourId, juce::Colours::steelblue);
    lf.setColour (juce::TextEditor::textColourId, textColour);
    lf.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    lf.setColour (juce::TreeView::linesColourId, textColour);
    lf.setColour (juce::TreeView::backgroundColourId, juce::Colour (0.1f, 0.1f, 0.1f, 1.0f));
    lf.setColour (juce::AlertWindow::outlineColourId, textColour);
    lf.setColour (juce::ComboBox::outlineColourId, textColour);

    if (SettingsFiles::getSettingsFile ("init").exists())
        return;

    if (! runLicenceAgreement())
    {
        ProgramQuit::request();
        return;
    }

    writeInitFile();
}

KestruneMainWindow::~KestruneMainWindow() = default;

void KestruneMainWindow::closeButtonPressed()
{
    ProgramQuit::request();
}

bool KestruneMainWindow::runLicenceAgreement()
{
    juce::LookAndFeel::getDefaultLookAndFeel().setColour (juce::TextEditor::textColourId, textColour);

    juce::TextEditor editor ({}, 0);
    editor.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    editor.setColour (juce::TextEditor::highlightColourId, juce::Colours::steelblue);
    editor.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::black);
    editor.setColour (juce::TextEditor::textColourId, textColour);
    editor.setColour (juce::TextEditor::outlineColourId, textColour);
    editor.applyFontToAllText (editor.getFont());
    editor.setMultiLine (true, true);
    editor.setReadOnly (true);
    editor.setScrollbarsShown (true);
    editor.setPopupMenuEnabled (true);
    editor.setText (getEulaText());
    editor.setSize (600, 350);

    PluginManagerAlertWindow alert (TRANS ("LAB_EULA"), TRANS ("TXT_EULA_DESC"), juce::MessageBoxIconType::NoIcon);
    alert.addButton (TRANS ("Accept"), 0);
    alert.addButton (TRANS ("Cancel"), 1);
    alert.addCustomComponent (&editor);

    return alert.runModalLoop() == 0;
}

void KestruneMainWindow::writeInitFile()
{
    juce::XmlElement root ("Initialisation");

    auto* eula = root.createNewChildElement ("eula");
    eula->setAttribute ("acceptance", "YES");

    auto* local = root.createNewChildElement ("local");
    local->setAttribute ("language", "English");

    SettingsFiles::writeXml (root, SettingsFiles::getSettingsFile ("init"));
}
