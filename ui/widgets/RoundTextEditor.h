#pragma once

#include "ui/widgets/RoundTextEditorLookAndFeel.h"

// The single-line entry field of the forms: a white rounded body, with a 2-pixel steel-blue ring
// while it has the keyboard focus.
class RoundTextEditor final : public juce::TextEditor
{
public:
    explicit RoundTextEditor (const juce::String& name);
    ~RoundTextEditor() override;

    // The background colour id sets the body colour (seen at the next repaint); other ids go to
    // juce::Component::setColour. This hides that non-virtual function: call it through a
    // RoundTextEditor, since a call through a Component or TextEditor reference bypasses it.
    void setColour (int colourId, juce::Colour newColour);

    juce::Colour getFillColour() const noexcept { return fillColour; }

    void paint (juce::Graphics& g) override;

    // Keeps the text and caret clear of the rounded ends.
    void resized() override;

private:
    // Installed as this editor's look; released after the destructor has uninstalled it.
    std::unique_ptr<RoundTextEditorLookAndFeel> lookAndFeel;
    juce::Colour fillColour{ 0xffffffff };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RoundTextEditor)
};
