#include "catalogue/VersionReply.h"

#include "catalogue/ReplyEnvelope.h"
#include "readers/NumberText.h"
#include "readers/XmlReading.h"
#include "services/ProgramValues.h"

float VersionReply::readVersion (const juce::String& text)
{
    return NumberText::readFloat (text);
}

float VersionReply::getProgramVersion()
{
    return readVersion (getVersionText());
}

VersionReply VersionReply::read (const juce::XmlElement* root)
{
    VersionReply reply;

    if (ReplyEnvelope::check (root) != ReplyEnvelope::Outcome::ok)
        return reply;

    reply.offer = Offer::none;
    auto* authapp = XmlReading::getChildByName (*root, "authapp");

    if (authapp == nullptr)
        return reply;

    reply.version = readVersion (XmlReading::getAttribute (*authapp, "version"));
    reply.minimumVersion = readVersion (XmlReading::getAttribute (*authapp, "minvers"));
    reply.macPath = XmlReading::getAttribute (*authapp, "macpath");

    // Compared in single precision on both sides: 3.22f lies above the double 3.22, so a double
    // comparison would offer this very version.
    const auto own = getProgramVersion();

    if (! (reply.version > own))
        return reply;

    reply.offer = reply.minimumVersion > own ? Offer::required : Offer::optional;
    return reply;
}
