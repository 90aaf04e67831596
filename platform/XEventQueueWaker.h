#pragma once

#include <juce_events/juce_events.h>

// Makes sure X events that already wait in the X library's own queue are handled.
//
// The framework handles X events only when the X connection's socket becomes readable. Any X call
// on the message thread that waits for a reply outside that handler (a sync after a repaint, a
// pointer query, a property read) first reads every event on the socket into the library's queue:
// the socket is then empty, the loop sleeps, and a click waits there until other input arrives.
// While started, a check every few milliseconds finds such events and sends one message to a
// window of our own: the server's echo makes the socket readable, and the framework's handler then
// takes the whole queue. When the queue is empty the check costs one look at a counter.
//
// Does nothing where there is no X display.
class XEventQueueWaker final : private juce::Timer
{
public:
    XEventQueueWaker();
    ~XEventQueueWaker() override;

    // Starts the checks; the display's window of our own is made here. Call on the message thread.
    void start();

    // Stops the checks and destroys the window. Call on the message thread.
    void stop();

    bool isRunning() const noexcept { return ownWindow != 0; }

    // How often the queue is looked at while running.
    static constexpr int checkIntervalMs = 20;

private:
    void timerCallback() override;

    unsigned long ownWindow = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (XEventQueueWaker)
};
