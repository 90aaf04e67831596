#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace FormEditor
{
// A form's entry field: one line, return does not start a new line, editable, scroll bars shown,
// caret visible, pop-up menu on.
void configure (juce::TextEditor& editor);
} // namespace FormEditor
