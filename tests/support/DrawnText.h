#pragma once

#include <juce_graphics/juce_graphics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

// The text a component really draws: its paint code runs into a software renderer that notes
// every glyph it is asked for, with the font and place it is drawn at.
class DrawnText final
{
public:
    struct Glyph
    {
        int number = 0;
        juce::Font font;
        juce::Point<float> position;
    };

    // Everything the component and its children draw at their present size.
    static DrawnText of (juce::Component& component);

    // Every glyph drawn, in the order drawn.
    const std::vector<Glyph>& glyphs() const noexcept { return drawn; }

    // The glyphs drawn in the font's height and style, at whatever horizontal scale.
    std::vector<Glyph> glyphsIn (const juce::Font& font) const;

    // How many lines the glyphs stand on.
    static int countLines (const std::vector<Glyph>& glyphs);

    // The narrowest horizontal scale any of the glyphs is drawn at (1 when none is squeezed).
    static float narrowestScale (const std::vector<Glyph>& glyphs);

private:
    std::vector<Glyph> drawn;
};
