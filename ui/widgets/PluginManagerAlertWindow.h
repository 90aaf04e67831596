#pragma once

#include "ui/widgets/RoundTextEditor.h"

// The program's modal prompt with custom content and buttons.
class PluginManagerAlertWindow : public juce::AlertWindow,
                                 private juce::ComponentListener,
                                 private juce::TextEditor::Listener
{
public:
    PluginManagerAlertWindow (const juce::String& title,
                              const juce::String& message,
                              juce::MessageBoxIconType iconType);
    ~PluginManagerAlertWindow() override;

    void paint (juce::Graphics& g) override;
    void visibilityChanged() override;

    // Runs the window modally; returns the return value of the button that closed it, or
    // cancelResult when no button did. Hidden while the loop runs, the window leaves the modal
    // state, so that another modal window can take its place; shown again, it goes on.
    int runModalLoop();

    static constexpr int cancelResult = 1;

    //==============================================================================
    // Adds a RoundTextEditor, owned by the window, where the framework would put its own editor:
    // laid out and labelled like the framework's text boxes, with no password option.
    void addTextEditor (const juce::String& name, const juce::String& initialContents,
                        const juce::String& onScreenLabel);

    // The first editor with the name, rounded ones first. These hide the framework's functions;
    // through a juce::AlertWindow reference the contents of a rounded editor are seen once its
    // last change message has been delivered.
    juce::TextEditor* getTextEditor (const juce::String& nameOfTextEditor) const;
    juce::String getTextEditorContents (const juce::String& nameOfTextEditor) const;

private:
    void componentMovedOrResized (juce::Component& component, bool wasMoved, bool wasResized) override;
    void textEditorTextChanged (juce::TextEditor& editor) override;

    // The framework lays out and labels its own (hidden) editor in each slot; the rounded editor
    // shown over it follows its bounds and hands its text back to it.
    struct RoundSlot
    {
        juce::TextEditor* frameworkEditor;
        std::unique_ptr<RoundTextEditor> editor;
    };

    std::vector<RoundSlot> roundSlots;
    bool steppedAside = false;

    static constexpr int notAnsweredByButton = std::numeric_limits<int>::min();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginManagerAlertWindow)
};
