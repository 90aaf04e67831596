#include "catalogue/ReplyEnvelope.h"

#include "readers/XmlReading.h"

bool ReplyEnvelope::isQuordata (const juce::XmlElement* root)
{
    return XmlReading::hasTagName (root, "quordata");
}

juce::String ReplyEnvelope::getResponse (const juce::XmlElement& root)
{
    return XmlReading::getAttribute (root, "response");
}

ReplyEnvelope::Outcome ReplyEnvelope::check (const juce::XmlElement* root)
{
    if (root == nullptr)
        return Outcome::noReply;

    if (! isQuordata (root))
        return Outcome::unexpected;

    auto response = getResponse (*root);

    if (response == "OK")
        return Outcome::ok;

    if (response == "ERROR")
        return Outcome::refused;

    return Outcome::unexpected;
}

juce::String ReplyEnvelope::buildErrorMessage (const juce::XmlElement& root)
{
    auto message = TRANS ("MSG_REGISTRATION_ERRORS_TEXT") + "\n\n";

    for (auto* child : root.getChildIterator())
        if (XmlReading::hasTagName (child, "error"))
            message << juce::translate (child->getAllSubText()) << "\n\n";

    return message;
}

int parseLoginReply (const juce::XmlElement* root)
{
    if (! ReplyEnvelope::isQuordata (root))
        return 1;

    if (ReplyEnvelope::getResponse (*root) != "OK")
        return 2;

    return 0;
}
