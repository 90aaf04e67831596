#include "support/DrawnText.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace
{
class RecordingRenderer final : public juce::LowLevelGraphicsSoftwareRenderer
{
public:
    RecordingRenderer (const juce::Image& image, std::vector<DrawnText::Glyph>& glyphsToFill)
        : juce::LowLevelGraphicsSoftwareRenderer (image)
        , glyphs (glyphsToFill)
    {
    }

    void drawGlyph (int glyphNumber, const juce::AffineTransform& transform) override
    {
        glyphs.push_back ({ glyphNumber, getFont(), juce::Point<float>().transformedBy (transform) });
        juce::LowLevelGraphicsSoftwareRenderer::drawGlyph (glyphNumber, transform);
    }

private:
    std::vector<DrawnText::Glyph>& glyphs;
};
} // namespace

DrawnText DrawnText::of (juce::Component& component)
{
    DrawnText text;
    juce::Image image (juce::Image::ARGB, juce::jmax (1, component.getWidth()), juce::jmax (1, component.getHeight()), true);
    RecordingRenderer renderer (image, text.drawn);
    juce::Graphics g (renderer);
    component.paintEntireComponent (g, false);
    return text;
}

std::vector<DrawnText::Glyph> DrawnText::glyphsIn (const juce::Font& font) const
{
    std::vector<Glyph> result;

    for (auto& glyph : drawn)
        if (std::abs (glyph.font.getHeight() - font.getHeight()) < 0.01f && glyph.font.getStyleFlags() == font.getStyleFlags())
            result.push_back (glyph);

    return result;
}

int DrawnText::countLines (const std::vector<Glyph>& glyphs)
{
    std::set<int> baselines;

    for (auto& glyph : glyphs)
        baselines.insert (juce::roundToInt (glyph.position.y));

    return (int) baselines.size();
}

float DrawnText::narrowestScale (const std::vector<Glyph>& glyphs)
{
    float scale = 1.0f;

    for (auto& glyph : glyphs)
        scale = std::min (scale, glyph.font.getHorizontalScale());

    return scale;
}
