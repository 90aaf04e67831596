#pragma once

#include <juce_core/juce_core.h>

#include <string>
#include <vector>

// A server on a free loopback port of its own that keeps the raw bytes of each request it
// receives and answers with exactly the reply bytes it was given, then closes; with stall set it
// keeps the connection open, silent, instead. A reply without an end (a cut body) is sent as it is.
class RawHttpServer final : private juce::Thread
{
public:
    RawHttpServer();
    ~RawHttpServer() override;

    int getPort() const { return listener.getBoundPort(); }
    juce::String getOrigin() const { return "http://127.0.0.1:" + juce::String (getPort()); }

    void answerWith (const std::string& replyBytes, bool stallAfterReply = false);
    std::vector<std::string> takeRequests();

    juce::WaitableEvent requestReceived;

private:
    void run() override;

    // The head up to its blank line, then as many bytes as its Content-length names.
    std::string readRequest (juce::StreamingSocket& connection);

    juce::StreamingSocket listener;
    juce::CriticalSection lock;
    std::vector<std::string> requests;
    std::string reply;
    bool stall = false;
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
    int getConnectionCount() const { return connections.load(); }

private:
    void run() override;

    juce::StreamingSocket listener;
    std::atomic<int> connections{ 0 };
};

// The payload as a chunked body in chunks of the given size, with or without its last (empty)
// chunk.
std::string makeChunkedBody (const std::string& payload, size_t chunkSize, bool withLastChunk);
