#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The drop-down list of the forms, framed in steel blue while focused. Building one sets the
// program-wide combo-box colours: the editors' outline, black text and arrow, on the editors'
// background when black text can be read on it, else on white.
class RoundComboBox final : public juce::ComboBox
{
public:
    explicit RoundComboBox (const juce::String& name);
    ~RoundComboBox() override;

    // Editable text is edited on a single or double click and kept when the focus goes; either
    // way the box takes the keyboard focus, so that it can show its frame. Hides the framework's
    // non-virtual function: call it through a RoundComboBox.
    void setEditableText (bool isEditable);

    void paint (juce::Graphics& g) override;

    // The editors' background when it is opaque and light, else white.
    static juce::Colour getBackgroundForBlackText (juce::Colour editorBackground);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RoundComboBox)
};
