#pragma once

#include <juce_core/juce_core.h>

// Reads one address, GET or POST. When given the task thread it runs on, a cancel of the task
// (the thread's exit signal) aborts the connection or the read under way at once, so a task
// window never waits on a stalled server.
class WebReader final : private juce::Thread::Listener
{
public:
    WebReader (const juce::URL& url, bool usePost, juce::Thread* task = nullptr);
    ~WebReader() override;

    // False when no connection could be made or the task was cancelled.
    bool connect();

    // After connect: reads until the stream is exhausted; false when cancelled.
    bool readAll (juce::MemoryBlock& destination);

    // After connect: the reply's total length, or -1 when the server did not send one.
    juce::int64 getTotalLength();

    // After connect: reads what the stream has next into the buffer; 0 at the end.
    int read (void* buffer, int maxBytes);

    bool isExhausted();
    bool wasCancelled() const noexcept { return cancelled.load(); }

private:
    void exitSignalSent() override;

    juce::WebInputStream stream;
    juce::Thread* task;
    std::atomic<bool> cancelled{ false };
    bool connected = false;

    JUCE_DECLARE_NON_COPYABLE (WebReader)
};
