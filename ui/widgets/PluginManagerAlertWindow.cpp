#include "ui/widgets/PluginManagerAlertWindow.h"

#include "ui/widgets/DeferredNativeWindow.h"
#include "ui/widgets/ModalWindowStacking.h"

PluginManagerAlertWindow::PluginManagerAlertWindow (const juce::String& title,
                                                    const juce::String& message,
                                                    juce::MessageBoxIconType iconType)
    : juce::AlertWindow (title, message, iconType, nullptr)
{
    // Only the buttons close the window: the escape key would otherwise close it with result 0,
    // which is the first button's answer (for the licence agreement, "Accept").
    setEscapeKeyCancels (false);

    ModalWindowStacking::watch (*this);
    DeferredNativeWindow::deferUntilShown (*this);
}

PluginManagerAlertWindow::~PluginManagerAlertWindow()
{
    // As the framework does for its own editors: no focus jumps while the editors go.
    for (auto& slot : roundSlots)
        slot.editor->setWantsKeyboardFocus (false);

    giveAwayKeyboardFocus();

    for (auto& slot : roundSlots)
    {
        slot.frameworkEditor->removeComponentListener (this);
        slot.editor->removeListener (this);
    }

    roundSlots.clear();
}

void PluginManagerAlertWindow::paint (juce::Graphics& g)
{
    juce::AlertWindow::paint (g);
}

void PluginManagerAlertWindow::visibilityChanged()
{
    juce::AlertWindow::visibilityChanged();

    // While a window is modal the framework brings it back on top, mapped, whenever a modal
    // window above it ends: hidden, it leaves the modal state (which ends its loop), and shown
    // again it takes the modal state back for runModalLoop to go on.
    if (! isVisible())
        steppedAside = steppedAside || isCurrentlyModal (false);
    else if (steppedAside && ! isCurrentlyModal (false))
        enterModalState (true);
}

int PluginManagerAlertWindow::runModalLoop()
{
    // The framework's loop answers 0 however it ends (closed by the window manager, hidden,
    // deleted, quit), and 0 is usually the confirm button: only a press of one of the window's
    // buttons gives its answer, any other end answers as the cancel button.
    auto pressed = std::make_shared<int> (notAnsweredByButton);
    std::vector<std::pair<juce::Component::SafePointer<juce::TextButton>, std::function<void()>>> ownButtons;

    for (auto* child : getChildren())
    {
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
        {
            auto previous = button->onClick;
            ownButtons.emplace_back (button, previous);
            button->onClick = [pressed, button, previous]
            {
                *pressed = button->getCommandID();

                if (previous != nullptr)
                    previous();
            };
        }
    }

    juce::Component::SafePointer<PluginManagerAlertWindow> self (this);

    // A loop that ended because the window stepped aside runs again once it is back. The button
    // gives the answer: the first loop may still be running when a button ends the second.
    do
    {
        steppedAside = false;
        juce::Component::runModalLoop();
    } while (self != nullptr && *pressed == notAnsweredByButton && steppedAside && isCurrentlyModal (false));

    if (self != nullptr)
        steppedAside = false;

    for (auto& [button, previous] : ownButtons)
        if (button != nullptr)
            button->onClick = previous;

    if (self == nullptr || *pressed == notAnsweredByButton)
        return cancelResult;

    return *pressed;
}

//==============================================================================
void PluginManagerAlertWindow::addTextEditor (const juce::String& name,
                                              const juce::String& initialContents,
                                              const juce::String& onScreenLabel)
{
    // The framework adds, labels and lays out (updateLayout (false)) a plain editor; the rounded
    // one is put in its place.
    juce::Array<juce::Component*> childrenBefore;

    for (auto* child : getChildren())
        childrenBefore.add (child);

    juce::AlertWindow::addTextEditor (name, initialContents, onScreenLabel, false);

    juce::TextEditor* frameworkEditor = nullptr;

    for (auto* child : getChildren())
        if (! childrenBefore.contains (child))
            if (auto* added = dynamic_cast<juce::TextEditor*> (child))
                frameworkEditor = added;

    if (frameworkEditor == nullptr)
    {
        jassertfalse;
        return;
    }

    auto editor = std::make_unique<RoundTextEditor> (name);
    editor->setColour (juce::TextEditor::outlineColourId, findColour (juce::ComboBox::outlineColourId));
    editor->setFont (getLookAndFeel().getAlertWindowMessageFont());
    editor->setText (initialContents, true);
    editor->setCaretPosition (initialContents.length());
    addAndMakeVisible (*editor);

    frameworkEditor->setVisible (false);
    editor->setBounds (frameworkEditor->getBounds());
    frameworkEditor->addComponentListener (this);
    editor->addListener (this);

    roundSlots.push_back ({ frameworkEditor, std::move (editor) });
}

juce::TextEditor* PluginManagerAlertWindow::getTextEditor (const juce::String& nameOfTextEditor) const
{
    for (auto& slot : roundSlots)
        if (slot.editor->getName() == nameOfTextEditor)
            return slot.editor.get();

    return juce::AlertWindow::getTextEditor (nameOfTextEditor);
}

juce::String PluginManagerAlertWindow::getTextEditorContents (const juce::String& nameOfTextEditor) const
{
    if (auto* editor = getTextEditor (nameOfTextEditor))
        return editor->getText();

    return {};
}

//==============================================================================
void PluginManagerAlertWindow::componentMovedOrResized (juce::Component& component, bool, bool)
{
    for (auto& slot : roundSlots)
        if (slot.frameworkEditor == &component)
            slot.editor->setBounds (component.getBounds());
}

void PluginManagerAlertWindow::textEditorTextChanged (juce::TextEditor& editor)
{
    for (auto& slot : roundSlots)
        if (slot.editor.get() == &editor)
            slot.frameworkEditor->setText (editor.getText(), false);
}
