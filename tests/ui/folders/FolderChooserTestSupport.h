#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "support/ModalDriver.h"
#include "support/TestEnvironment.h"
#include "ui/folders/SubDirectoryChooser.h"
#include "ui/widgets/PluginManagerAlertWindow.h"

#include <deque>
#include <functional>

namespace FolderChooserTestSupport
{
//==============================================================================
// Acts inside the chooser's modal loops: each step waits until its condition holds, then runs its
// action. Actions only start things (clicks, selections) and never wait themselves, so the steps
// keep running while a nested prompt is up. A step that waits too long ends every modal loop
// without a button and records what it waited for.
class StepDriver final : private juce::Timer
{
public:
    using Condition = std::function<bool()>;
    using Action = std::function<void()>;

    StepDriver() { startTimer (15); }
    ~StepDriver() override { stopTimer(); }

    StepDriver& then (const juce::String& waitingFor, Condition condition, Action action)
    {
        steps.push_back ({ waitingFor, std::move (condition), std::move (action) });
        return *this;
    }

    bool isDone() const noexcept { return steps.empty(); }

    // Empty when every step ran.
    juce::String failure;

    // How long a step may wait before the run is abandoned (a safety net, not a measurement).
    int stepTimeoutMs = 20000;

private:
    struct Step
    {
        juce::String waitingFor;
        Condition condition;
        Action action;
    };

    void timerCallback() override
    {
        const auto now = juce::Time::getMillisecondCounter();

        if (waitStartedMs == 0)
            waitStartedMs = now;

        if (steps.empty())
        {
            // After the last step nothing may stay open.
            if (juce::Component::getCurrentlyModalComponent() != nullptr && now - waitStartedMs > (juce::uint32) stepTimeoutMs)
                giveUp ("a modal window to close after the last step");

            return;
        }

        if (steps.front().condition())
        {
            auto step = std::move (steps.front());
            steps.pop_front();
            waitStartedMs = 0;
            step.action();
            return;
        }

        if (now - waitStartedMs > (juce::uint32) stepTimeoutMs)
            giveUp (steps.front().waitingFor);
    }

    void giveUp (const juce::String& waitingFor)
    {
        failure = "gave up waiting for: " + waitingFor;
        steps.clear();
        waitStartedMs = 0;

        while (auto* modal = juce::Component::getCurrentlyModalComponent())
            modal->exitModalState (0);
    }

    std::deque<Step> steps;
    juce::uint32 waitStartedMs = 0;
};

//==============================================================================
template <typename ComponentType>
ComponentType* findChild (juce::Component& root, const std::function<bool (ComponentType&)>& test = {})
{
    for (auto* child : root.getChildren())
    {
        if (auto* found = dynamic_cast<ComponentType*> (child))
            if (test == nullptr || test (*found))
                return found;

        if (auto* found = findChild<ComponentType> (*child, test))
            return found;
    }

    return nullptr;
}

template <typename ComponentType = juce::Component>
ComponentType* findNamed (juce::Component& root, const juce::String& name)
{
    return findChild<ComponentType> (root, [&] (ComponentType& c)
                                     { return c.getName() == name; });
}

inline SubDirectoryChooserDialogBox* getDialog()
{
    return dynamic_cast<SubDirectoryChooserDialogBox*> (juce::Component::getCurrentlyModalComponent());
}

inline PluginManagerAlertWindow* getPrompt()
{
    return dynamic_cast<PluginManagerAlertWindow*> (juce::Component::getCurrentlyModalComponent());
}

// The parts of the open dialog; all null when the dialog is not the modal component.
struct DialogParts
{
    DialogParts()
    {
        dialog = getDialog();

        if (dialog == nullptr)
            return;

        content = dynamic_cast<SubDirectoryChooserDialogBox::ContentComponent*> (dialog->getContentComponent());
        browser = findChild<SubDirectoryBrowserComponent> (*dialog);

        if (browser == nullptr || content == nullptr)
            return;

        tree = findChild<juce::FileTreeComponent> (*browser);
        pathBox = findNamed<juce::ComboBox> (*browser, "path");
        folderBox = findChild<juce::TextEditor> (*browser);
        upButton = findNamed<juce::Button> (*browser, "up");
        newFolderButton = findNamed<juce::Button> (*browser, "create directory");
    }

    bool isReady() const
    {
        return tree != nullptr && dialog->isShowing() && ! tree->directoryContentsList.isStillLoading();
    }

    SubDirectoryChooserDialogBox* dialog = nullptr;
    SubDirectoryChooserDialogBox::ContentComponent* content = nullptr;
    SubDirectoryBrowserComponent* browser = nullptr;
    juce::FileTreeComponent* tree = nullptr;
    juce::ComboBox* pathBox = nullptr;
    juce::TextEditor* folderBox = nullptr;
    juce::Button* upButton = nullptr;
    juce::Button* newFolderButton = nullptr;
};

// True when the dialog is showing with its scan of the current folder done.
inline bool dialogReady()
{
    return DialogParts().isReady();
}

// The full paths of the rows the tree shows, top to bottom.
inline juce::StringArray rowPaths (juce::FileTreeComponent& tree)
{
    juce::StringArray paths;

    for (int i = 0; i < tree.getNumRowsInTree(); ++i)
        if (auto* item = tree.getItemOnRow (i))
            paths.add (item->getUniqueName());

    return paths;
}

inline juce::TreeViewItem* findRow (juce::FileTreeComponent& tree, const juce::File& folder)
{
    for (int i = 0; i < tree.getNumRowsInTree(); ++i)
        if (auto* item = tree.getItemOnRow (i))
            if (item->getUniqueName() == folder.getFullPathName())
                return item;

    return nullptr;
}

// A double-click on the row, as the tree hands it to the row.
inline void doubleClickRow (juce::FileTreeComponent& tree, juce::TreeViewItem& item)
{
    const auto position = item.getItemPosition (true).getCentre().toFloat();
    const auto now = juce::Time::getCurrentTime();
    const juce::MouseEvent event (juce::Desktop::getInstance().getMainMouseSource(), position,
                                  juce::ModifierKeys().withFlags (juce::ModifierKeys::leftButtonModifier),
                                  juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                  juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                                  juce::MouseInputSource::defaultTiltY, &tree, &tree, now, position, now, 2, false);
    item.itemDoubleClicked (event);
}

// The items of a combo box as (id, text) in order.
inline juce::StringArray comboItems (juce::ComboBox& box)
{
    juce::StringArray items;

    for (int i = 0; i < box.getNumItems(); ++i)
        items.add (juce::String (box.getItemId (i)) + " " + box.getItemText (i));

    return items;
}

//==============================================================================
// The colours the main window gives the default look-and-feel, for the life of the object.
class ScopedProgramColours
{
public:
    ScopedProgramColours()
    {
        const juce::Colour text (198, 253, 254);
        auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();

        for (auto& [id, colour] : std::initializer_list<std::pair<int, juce::Colour>>{
                 { juce::DirectoryContentsDisplayComponent::textColourId, text },
                 { juce::DirectoryContentsDisplayComponent::highlightColourId, juce::Colours::steelblue },
                 { juce::TextEditor::textColourId, text },
                 { juce::TextEditor::backgroundColourId, juce::Colours::black },
                 { juce::TreeView::linesColourId, text },
                 { juce::TreeView::backgroundColourId, juce::Colour (0.1f, 0.1f, 0.1f, 1.0f) },
                 { juce::AlertWindow::outlineColourId, text },
                 { juce::ComboBox::outlineColourId, text } })
        {
            saved.emplace_back (id, lf.findColour (id));
            lf.setColour (id, colour);
        }
    }

    ~ScopedProgramColours()
    {
        for (auto& [id, colour] : saved)
            juce::LookAndFeel::getDefaultLookAndFeel().setColour (id, colour);
    }

private:
    std::vector<std::pair<int, juce::Colour>> saved;
};

//==============================================================================
// Steps that open the new-folder prompt from the dialog, type the name and press the button
// with the text; they end when the dialog is back with its list rescanned.
inline void addNewFolderSteps (StepDriver& driver, const juce::String& name, const juce::String& buttonText,
                               std::function<void()> beforePress = {})
{
    // The dialog's loop may run timers before the prompt's loop has returned: the step is over
    // only once the prompt is deleted, which the browser does after creating the folder.
    auto prompt = std::make_shared<juce::Component::SafePointer<juce::Component>>();

    driver.then ("the dialog, to open the prompt", dialogReady, []
                 { DialogParts().newFolderButton->triggerClick(); })
        .then (
            "the new-folder prompt", []
            { return getPrompt() != nullptr && getPrompt()->isShowing(); },
            [name, buttonText, beforePress, prompt]
            {
                if (beforePress != nullptr)
                    beforePress();

                auto* window = getPrompt();
                *prompt = window;

                if (auto* editor = window->getTextEditor ("dirname"))
                    editor->setText (name, true);

                ModalDriver::pressButton (*window, buttonText);
            })
        .then (
            "the dialog after the prompt for \"" + name + "\" (" + buttonText + ")",
            [prompt]
            { return *prompt == nullptr && dialogReady(); },
            [] {});
}

// A stand-in elevation program that notes each start in the log, then runs its command (or
// refuses).
inline juce::File writeElevationProgram (const juce::File& folder, const juce::String& name, const juce::File& log, bool grants)
{
    auto program = folder.getChildFile (name);
    program.replaceWithText ("#!/bin/sh\necho \"" + name + " $*\" >> '" + log.getFullPathName() + "'\n"
                                 + (grants ? "exec \"$@\"\n" : "exit 126\n"),
                             false, false, "\n");
    program.setExecutePermission (true);
    return program;
}
} // namespace FolderChooserTestSupport
