#include "readers/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace
{
// The text after its leading blanks and, where the framework takes one, a "+", as UTF-8; a "-"
// stays for from_chars.
std::string numberPart (const juce::String& text, bool plusAllowed)
{
    auto start = text.getCharPointer().findEndOfWhitespace();

    if (plusAllowed && *start == '+')
    {
        ++start;

        if (*start == '-' || *start == '+')
            return {};
    }

    return juce::String (start).toStdString();
}
} // namespace

double NumberText::readDouble (const juce::String& text)
{
    const auto part = numberPart (text, true);
    double value = 0.0;
    const auto result = std::from_chars (part.data(), part.data() + part.size(), value, std::chars_format::general);

    if (result.ec != std::errc() || ! std::isfinite (value))
        return 0.0;

    return value;
}

float NumberText::readFloat (const juce::String& text)
{
    const auto value = readDouble (text);

    if (std::abs (value) > (double) std::numeric_limits<float>::max())
        return 0.0f;

    return (float) value;
}

int NumberText::readInt (const juce::String& text)
{
    const auto part = numberPart (text, false);
    int value = 0;
    const auto result = std::from_chars (part.data(), part.data() + part.size(), value, 10);

    return result.ec == std::errc() ? value : 0;
}
