#pragma once

#include "catalogue/CurlWebStream.h"

#include <juce_core/juce_core.h>

// Reads one address, GET or POST. When given the task thread it runs on, a cancel of the task
// (the thread's exit signal) aborts the connection or the read under way at once, so a task
// window never waits on a stalled server.
class WebReader final : public juce::InputStream, private juce::Thread::Listener
{
public:
    // A positive timeout bounds the wait for the connection and for progress of the reply: the
    // request fails when nothing connects within it, or when the reply stalls below 100 bytes a
    // second for that long. Zero waits as long as the server keeps the connection open.
    WebReader (const juce::URL& url, bool usePost, juce::Thread* task = nullptr, int timeoutMs = 0);
    ~WebReader() override;

    // False when no connection could be made or the task was cancelled.
    bool connect();

    // After connect: appends everything up to the stream's end; false (appending nothing) when
    // cancelled, when the reply was cut short, or when it goes on beyond maxBytes.
    bool readAll (juce::MemoryBlock& destination, juce::int64 maxBytes);

    // Once the reads have ended (a read gave 0): true unless the reply arrived whole. A broken
    // or cut transfer and a clean end both end the reads; only this tells them apart.
    bool hasFailed() const;

    // After connect: the reply's HTTP status, 0 when there is none.
    int getStatusCode();

    // After connect, the reply as a stream: its total length is -1 when the server sent none,
    // and a read gives 0 at its end, when the transfer broke or once the task is cancelled.
    juce::int64 getTotalLength() override;
    int read (void* buffer, int maxBytes) override;
    bool isExhausted() override;
    juce::int64 getPosition() override;
    bool setPosition (juce::int64 newPosition) override;

private:
    void exitSignalSent() override;

    CurlWebStream stream;
    juce::Thread* task;
    std::atomic<bool> cancelled{ false };
    bool connected = false;

    JUCE_DECLARE_NON_COPYABLE (WebReader)
};
