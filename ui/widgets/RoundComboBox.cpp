#include "ui/widgets/RoundComboBox.h"

RoundComboBox::RoundComboBox (const juce::String& name)
    : juce::ComboBox (name)
{
    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    lf.setColour (juce::ComboBox::backgroundColourId, getBackgroundForBlackText (lf.findColour (juce::TextEditor::backgroundColourId)));
    lf.setColour (juce::ComboBox::textColourId, juce::Colours::black);
    lf.setColour (juce::ComboBox::arrowColourId, juce::Colours::black);
    lf.setColour (juce::ComboBox::outlineColourId, lf.findColour (juce::TextEditor::outlineColourId));

    // The text label took its colours when the base was built, before they were set.
    sendLookAndFeelChange();
}

RoundComboBox::~RoundComboBox() = default;

juce::Colour RoundComboBox::getBackgroundForBlackText (juce::Colour editorBackground)
{
    // The framework's default editor background is dark (and the program's is black), where black
    // text cannot be read: those give white, as the rounded editors' bodies are.
    if (editorBackground.isOpaque() && editorBackground.getPerceivedBrightness() >= 0.5f)
        return editorBackground;

    return juce::Colours::white;
}

void RoundComboBox::setEditableText (bool isEditable)
{
    juce::ComboBox::setEditableText (isEditable);
    setWantsKeyboardFocus (true);
    resized();
}

void RoundComboBox::paint (juce::Graphics& g)
{
    juce::ComboBox::paint (g);

    if (hasKeyboardFocus (true))
    {
        g.setColour (juce::Colours::steelblue);
        g.drawRect (0, 0, getWidth(), getHeight(), 2);
    }
}
