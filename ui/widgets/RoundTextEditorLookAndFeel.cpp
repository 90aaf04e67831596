#include "ui/widgets/RoundTextEditorLookAndFeel.h"

RoundTextEditorLookAndFeel::RoundTextEditorLookAndFeel()
{
    setColour (juce::TextEditor::backgroundColourId, juce::Colours::transparentWhite);
    setColour (juce::TextEditor::textColourId, juce::Colours::black);
    setColour (juce::TextEditor::highlightColourId, juce::Colours::steelblue);
    setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::black);
    setColour (juce::TextEditor::outlineColourId, juce::Colours::transparentWhite);
    setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::transparentWhite);
    setColour (juce::TextEditor::shadowColourId, juce::Colours::transparentWhite);
}

RoundTextEditorLookAndFeel::~RoundTextEditorLookAndFeel() = default;
