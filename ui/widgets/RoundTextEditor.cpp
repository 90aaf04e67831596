#include "ui/widgets/RoundTextEditor.h"

#include "ui/widgets/ProgramFonts.h"

RoundTextEditor::RoundTextEditor (const juce::String& name)
    : juce::TextEditor (name, 0)
    , lookAndFeel (std::make_unique<RoundTextEditorLookAndFeel>())
{
    setLookAndFeel (lookAndFeel.get());
    setOpaque (false);
    setFont (ProgramFonts::getFont ("Arial", 16.0f, juce::Font::plain));
}

RoundTextEditor::~RoundTextEditor()
{
    setLookAndFeel (nullptr);
}

void RoundTextEditor::setColour (int colourId, juce::Colour newColour)
{
    if (colourId == juce::TextEditor::backgroundColourId)
        fillColour = newColour;
    else
        juce::Component::setColour (colourId, newColour);
}

void RoundTextEditor::paint (juce::Graphics& g)
{
    auto w = (float) getWidth();
    auto h = (float) getHeight();

    if (hasKeyboardFocus (true))
    {
        g.setColour (juce::Colours::steelblue);
        g.fillRoundedRectangle (0.0f, 0.0f, w, h, 12.0f);
        g.setColour (fillColour);
        g.fillRoundedRectangle (2.0f, 2.0f, w - 4.0f, h - 4.0f, 12.0f);
    }
    else
    {
        g.setColour (fillColour);
        g.fillRoundedRectangle (0.0f, 0.0f, w, h, 12.0f);
    }

    juce::TextEditor::paint (g);
}

void RoundTextEditor::resized()
{
    // Two thirds of the corner radius at each end; the body spans the whole height.
    auto endInset = juce::jmin (12, getHeight() / 2) * 2 / 3;
    const juce::BorderSize<int> border (0, endInset, 0, endInset);

    // setBorder lays the editor out again through this function.
    if (getBorder() != border)
        setBorder (border);
    else
        juce::TextEditor::resized();
}
