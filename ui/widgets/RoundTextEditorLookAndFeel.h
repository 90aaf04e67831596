#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The framework's look with a transparent editor background, outline and shadow, so that a
// RoundTextEditor's look is its own paint; text black, selection steel blue.
class RoundTextEditorLookAndFeel final : public juce::LookAndFeel_V4
{
public:
    RoundTextEditorLookAndFeel();
    ~RoundTextEditorLookAndFeel() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RoundTextEditorLookAndFeel)
};
