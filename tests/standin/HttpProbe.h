#pragma once

#include <juce_core/juce_core.h>

#include <string>

// Talks to a local server the two ways the tests need: through the program's own HTTP client, and
// over a bare socket, so that exact request bytes go out and exact reply bytes come back.
namespace HttpProbe
{
struct Fetched
{
    bool opened = false;
    int status = 0;
    juce::int64 totalLength = -1;
    juce::StringPairArray headers;
    juce::MemoryBlock body;

    juce::String getText() const { return body.toString(); }
};

// GET of "http://127.0.0.1:<port>" + target, sent as written.
Fetched get (int port, const juce::String& target);

// POST of the body, verbatim, to the target.
Fetched post (int port, const juce::String& target, const juce::String& body);

struct RawReply
{
    std::string bytes;   // everything received
    int reads = 0;       // reads that returned bytes
    bool closed = false; // the server closed or reset the connection (rather than the wait ending)

    int getStatus() const;
    bool hasHeader (const std::string& name) const;
    std::string getHeader (const std::string& name) const;
    std::string getBody() const;
};

class RawConnection final
{
public:
    explicit RawConnection (int port);

    bool isConnected() const;
    bool send (const std::string& text);

    // True when the server sent something (or closed) within the time.
    bool answersWithin (int milliseconds);

    RawReply readUntilClosed (int timeoutMs = 5000);

private:
    juce::StreamingSocket socket;
};

// A GET request line for the target as written, with Host and Connection: close.
std::string makeGet (const std::string& target);

// Connects, sends the text and reads until the server closes.
RawReply exchange (int port, const std::string& requestText);

// The payload of a chunked body; empty when the framing is broken.
std::string dechunk (const std::string& body);
} // namespace HttpProbe
