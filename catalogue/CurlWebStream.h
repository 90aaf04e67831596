#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <vector>

// One HTTP request through libcurl, read as a stream. It waits for the network with
// curl_multi_poll, so no wait has a fixed length, and hands out the received bytes from a read
// position, so a small read never moves the rest of them. The request goes out byte for byte as
// the framework's web stream sends it (same options, headers and body), certificates are checked.
// Only http and https are spoken, and a redirect never leads elsewhere, nor from https to http.
class CurlWebStream final
{
public:
    // A POST sends the URL's POST data as a form, as the framework's stream does.
    CurlWebStream (const juce::URL& url, bool usePost);
    ~CurlWebStream();

    // As the framework's connection time-out: no connection within it, or a reply slower than
    // 100 bytes a second for that long, fails the request. Zero waits as long as the server does.
    void setTimeout (int milliseconds);

    // Sends the request and waits for the first bytes of the reply or its end. False when no reply
    // came (refused, failed or cancelled); a reply with an error status is still a reply.
    bool connect();

    // From any thread: ends the wait or read under way at once; later reads give nothing.
    void cancel();

    // True once the transfer failed (refused, cut short, broken framing, a redirect we do not
    // follow) or was cancelled. A read that gives 0 with this false is the reply's clean end;
    // with it true the reply did not arrive whole, whatever was read of it.
    bool isError() const;
    int getStatusCode() const noexcept { return statusCode; }

    // -1 when the server sent no length.
    juce::int64 getTotalLength() const noexcept { return totalLength; }
    juce::int64 getPosition() const noexcept { return position; }
    bool isExhausted() const;

    // Waits until maxBytes have arrived or the reply ended; the number of bytes given.
    int read (void* destination, int maxBytes);

    // Moves forward by reading; false when the position lies behind or beyond the reply.
    bool setPosition (juce::int64 newPosition);

    // The schemes a redirect may lead to from this address: from https only https, from anything
    // else http and https.
    static const char* getRedirectSchemes (const juce::String& address);

private:
    bool setOptions();
    bool step();
    size_t available() const noexcept { return received.size() - readPosition; }
    size_t receive (const char* data, size_t size);
    size_t sendBody (char* destination, size_t size);

    static size_t writeCallback (char* data, size_t size, size_t count, void* stream);
    static size_t readCallback (char* destination, size_t size, size_t count, void* stream);

    const juce::URL url;
    const bool parametersInBody, post;
    void* multi = nullptr;
    void* easy = nullptr;
    struct curl_slist* headerList = nullptr;

    juce::String requestHeaders;
    juce::MemoryBlock body;
    size_t bodySent = 0;
    int timeoutMs = 0;

    std::vector<char> received;
    size_t readPosition = 0;
    juce::int64 position = 0, totalLength = -1;
    int statusCode = -1;
    bool started = false, finished = false, failed = false;
    std::atomic<bool> cancelled{ false };

    JUCE_DECLARE_NON_COPYABLE (CurlWebStream)
};
