#pragma once

#include <juce_core/juce_core.h>

// One request to the maker's server: serverRequestUrl + "?ACTION=" + action, then
// "&" + name + "=" + escaped value for each parameter, sent byte for byte as built here.
class ServerRequest final
{
public:
    explicit ServerRequest (const juce::String& action);

    // Parameter names are fixed lower-case literals and are not escaped; values are.
    ServerRequest& withParameter (const juce::String& name, const juce::String& value);

    // Appends parameters already built as "&" + name + "=" + escaped value, unchanged.
    ServerRequest& withEncodedParameters (const juce::String& encodedPairs);

    // The whole GET address.
    juce::String getRequestText() const;

    // "ACTION=" + action + the parameters: the form-encoded body of a POST.
    juce::String getFormBody() const;

    // GET: the parsed reply, or null when the connection failed or the reply is not well-formed,
    // too long or nested too deep.
    // Given the task thread it runs on, a cancel of the task aborts the request. Without one the
    // request runs on the message thread and waits at most getMessageThreadTimeoutMs().
    std::unique_ptr<juce::XmlElement> readXml (juce::Thread* task = nullptr) const;

    // No reply is read beyond this: a longer one is a failed request.
    static constexpr juce::int64 maxReplyBytes = 16 * 1024 * 1024;

    // GET: appends the reply's bytes; false when the connection failed, the task was cancelled or
    // the reply went beyond maxReplyBytes.
    bool readBytes (juce::MemoryBlock& reply, juce::Thread* task = nullptr) const;

    // POST of the form body to the request URL without query, on the message thread with its
    // bounded wait; the reply as text, empty when the connection failed, timed out or went beyond
    // maxReplyBytes. Given a flag, sets it to whether a reply came (any status, any body).
    juce::String postAndReadText (bool* replied = nullptr) const;

    // The one bound on the wait of a request made on the message thread (no task thread): at most
    // this long to connect, and the reply given up after this long without progress.
    static int getMessageThreadTimeoutMs();
    static void setMessageThreadTimeoutMs (int milliseconds);
    static constexpr int defaultMessageThreadTimeoutMs = 30000;

    // The value's UTF-8 bytes: letters, digits and "_-.*!'()" as they are, every other byte as
    // "%" and two lower-case hex digits.
    static juce::String escapeValue (const juce::String& value);

    // An address used as it stands, without the framework re-parsing or re-escaping its query.
    static juce::URL makeUrl (const juce::String& text);

private:
    juce::String action;
    juce::String parameters;
};
