#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// A server on a free loopback port of its own that keeps the raw bytes of each request it
// receives and answers with exactly the reply bytes it was given, then ends the connection. A
// reply without an end (a cut body) is sent as it is.
class RawHttpServer final : private juce::Thread
{
public:
    RawHttpServer();
    ~RawHttpServer() override;

    int getPort() const { return listener.getBoundPort(); }
    juce::String getOrigin() const { return "http://127.0.0.1:" + juce::String (getPort()); }

    enum class Ending
    {
        close, // a FIN
        reset  // a RST and no FIN, once the client has taken in every byte sent
    };

    // With holdUntil given, the connection is kept open and silent after the reply until it
    // returns true, and only then ended; it ends sooner when the client hangs up.
    void answerWith (const std::string& replyBytes, Ending ending = Ending::close, std::function<bool()> holdUntil = {});

    // Keeps the connection open and silent after the reply until the client hangs up.
    void answerAndStall (const std::string& replyBytes);

    std::vector<std::string> takeRequests();

    juce::WaitableEvent requestReceived;

private:
    void run() override;

    // The head up to its blank line, then as many bytes as its Content-length names.
    std::string readRequest (juce::StreamingSocket& connection);
    void writeAll (juce::StreamingSocket& connection, const std::string& bytes);
    void reset (juce::StreamingSocket& connection);

    juce::StreamingSocket listener;
    juce::CriticalSection lock;
    std::vector<std::string> requests;
    std::string reply;
    Ending replyEnding = Ending::close;
    std::function<bool()> replyHoldUntil;
    char readBuffer[4096];
};

// A loopback listener that only counts the connections made to it, and hangs up on each at once:
// the place a redirect we must not follow points to.
class ConnectionRecorder final : private juce::Thread
{
public:
    ConnectionRecorder();
    ~ConnectionRecorder() override;

    int getPort() const { return listener.getBoundPort(); }

    // Stops listening and counts every connection made so far: those taken and those the kernel
    // has completed that still wait in the listener's queue.
    int stopAndCountConnections();

private:
    void run() override;

    // Takes every connection waiting and hangs up on it; how many there were.
    int hangUpOnWaiting();

    juce::StreamingSocket listener;
    std::atomic<int> connections{ 0 };
};

// The payload as a chunked body in chunks of the given size, with or without its last (empty)
// chunk.
std::string makeChunkedBody (const std::string& payload, size_t chunkSize, bool withLastChunk);
