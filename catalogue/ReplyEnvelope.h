#pragma once

#include <juce_core/juce_core.h>

// The "quordata" envelope of the server's replies: tag and attribute names match without regard
// to case, the "response" value exactly.
class ReplyEnvelope final
{
public:
    enum class Outcome
    {
        noReply,   // no root element: connection failed or not well-formed
        ok,        // "quordata" with response "OK"
        refused,   // "quordata" with response "ERROR"
        unexpected // another root, or another response value
    };

    static Outcome check (const juce::XmlElement* root);

    static bool isQuordata (const juce::XmlElement* root);

    // The "response" attribute, empty when missing.
    static juce::String getResponse (const juce::XmlElement& root);

    // The translated intro of "MSG_REGISTRATION_ERRORS_TEXT" + "\n\n", then each "error" child's
    // text, looked up, + "\n\n", in document order.
    static juce::String buildErrorMessage (const juce::XmlElement& root);

private:
    ReplyEnvelope() = delete;
};

// 0 accepted, 1 not a valid reply, 2 refused.
int parseLoginReply (const juce::XmlElement* root);
