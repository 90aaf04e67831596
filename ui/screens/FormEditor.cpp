#include "ui/screens/FormEditor.h"

void FormEditor::configure (juce::TextEditor& editor)
{
    editor.setMultiLine (false);
    editor.setReturnKeyStartsNewLine (false);
    editor.setReadOnly (false);
    editor.setScrollbarsShown (true);
    editor.setCaretVisible (true);
    editor.setPopupMenuEnabled (true);
}
