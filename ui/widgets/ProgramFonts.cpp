#include "ui/widgets/ProgramFonts.h"

namespace ProgramFonts
{
namespace
{
    const juce::StringArray& getInstalledNames()
    {
        static const juce::StringArray names (juce::Font::findAllTypefaceNames());
        return names;
    }
} // namespace

juce::Font getFont (const juce::String& typefaceName, float height, int styleFlags)
{
    const auto& installed = getInstalledNames();

    if (installed.contains (typefaceName))
        return juce::Font (typefaceName, height, styleFlags);

    auto fallback = installed.contains ("Liberation Sans") ? juce::String ("Liberation Sans")
                                                           : juce::Font::getDefaultSansSerifFontName();

    if (typefaceName == "Arial Black")
        styleFlags |= juce::Font::bold;

    return juce::Font (fallback, height, styleFlags);
}
} // namespace ProgramFonts
