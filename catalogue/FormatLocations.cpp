#include "catalogue/FormatLocations.h"

void FormatLocations::clear()
{
    rtas = {};
    vst = {};
    vst64 = {};
    au = {};
}

juce::String FormatLocations::getForFormat (const juce::String& format) const
{
    if (format == "RTAS")
        return rtas;

    if (format == "VST")
        return vst;

    if (format == "VST64")
        return vst64;

    if (format == "AU")
        return au;

    return {};
}
