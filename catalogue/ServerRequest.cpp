#include "catalogue/ServerRequest.h"

#include "catalogue/WebReader.h"
#include "readers/XmlReading.h"
#include "services/ProgramValues.h"

#include <cstring>

ServerRequest::ServerRequest (const juce::String& actionName)
    : action (actionName)
{
}

ServerRequest& ServerRequest::withParameter (const juce::String& name, const juce::String& value)
{
    parameters << "&" << name << "=" << escapeValue (value);
    return *this;
}

ServerRequest& ServerRequest::withEncodedParameters (const juce::String& encodedPairs)
{
    parameters << encodedPairs;
    return *this;
}

juce::String ServerRequest::getRequestText() const
{
    return serverRequestUrl + "?ACTION=" + action + parameters;
}

juce::String ServerRequest::getFormBody() const
{
    return "ACTION=" + action + parameters;
}

std::unique_ptr<juce::XmlElement> ServerRequest::readXml (juce::Thread* task) const
{
    juce::MemoryBlock reply;

    if (! readBytes (reply, task))
        return {};

    return XmlReading::parse (reply);
}

bool ServerRequest::readBytes (juce::MemoryBlock& reply, juce::Thread* task) const
{
    WebReader reader (makeUrl (getRequestText()), false, task, task == nullptr ? getMessageThreadTimeoutMs() : 0);
    return reader.connect() && reader.readAll (reply, maxReplyBytes);
}

juce::String ServerRequest::postAndReadText (bool* replied) const
{
    WebReader reader (makeUrl (serverRequestUrl).withPOSTData (getFormBody()), true, nullptr, getMessageThreadTimeoutMs());
    juce::MemoryBlock reply;
    auto received = reader.connect() && reader.readAll (reply, maxReplyBytes);

    if (replied != nullptr)
        *replied = received;

    return received ? reply.toString() : juce::String();
}

namespace
{
std::atomic<int> messageThreadTimeoutMs{ ServerRequest::defaultMessageThreadTimeoutMs };
}

int ServerRequest::getMessageThreadTimeoutMs()
{
    return messageThreadTimeoutMs.load();
}

void ServerRequest::setMessageThreadTimeoutMs (int milliseconds)
{
    messageThreadTimeoutMs = juce::jmax (1, milliseconds);
}

juce::String ServerRequest::escapeValue (const juce::String& value)
{
    static const char* const hexDigits = "0123456789abcdef";
    juce::String escaped;

    for (auto* p = value.toRawUTF8(); *p != 0; ++p)
    {
        auto byte = (unsigned char) *p;
        auto keep = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
                    || std::strchr ("_-.*!'()", (int) byte) != nullptr;

        if (keep)
            escaped << (char) byte;
        else
            escaped << '%' << hexDigits[byte >> 4] << hexDigits[byte & 15];
    }

    return escaped;
}

juce::URL ServerRequest::makeUrl (const juce::String& text)
{
    return juce::URL::createWithoutParsing (text);
}
