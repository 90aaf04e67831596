#pragma once

#include <juce_core/juce_core.h>

// The server's answer to "GET_VERSION": the latest version of the manager, the oldest one still
// allowed to run and where the new archive lies below the repository, with what it offers this
// copy.
class VersionReply final
{
public:
    enum class Offer
    {
        noReply,  // no usable envelope: the offline path
        none,     // nothing newer
        optional, // a newer version the customer may skip
        required  // this version may no longer run
    };

    // Reads the reply's root element (null when nothing arrived or it did not parse).
    static VersionReply read (const juce::XmlElement* root);

    // A version attribute: read as a double, then as a float; missing, not a number, not finite
    // or beyond the float range reads 0.
    static float readVersion (const juce::String& text);

    // This program's own version, 3.22 in single precision.
    static float getProgramVersion();

    Offer offer = Offer::noReply;
    float version = 0.0f;
    float minimumVersion = 0.0f;
    juce::String macPath;
};
