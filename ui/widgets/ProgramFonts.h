#pragma once

#include <juce_graphics/juce_graphics.h>

namespace ProgramFonts
{
// The named typeface when it is installed. Otherwise "Arial" becomes Liberation Sans (same
// metrics) and "Arial Black" a bold Liberation Sans, or the default sans-serif when Liberation
// Sans is missing too: a typeface that is not installed would draw no text at all.
juce::Font getFont (const juce::String& typefaceName, float height, int styleFlags);
} // namespace ProgramFonts
