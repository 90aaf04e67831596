#pragma once

#include <juce_events/juce_events.h>

// A change broadcaster whose messages carry a screen code. While one message waits to be
// delivered a further one is dropped, so the first code wins; the receiver takes the code
// (which clears the waiting mark) before acting on it.
class ScreenCodeBroadcaster : public juce::ChangeBroadcaster
{
public:
    ScreenCodeBroadcaster() = default;

    void sendScreenCode (int code);

    // Called by the listener when the message arrives.
    juce::uint32 takeScreenCode() noexcept;

    bool isScreenCodePending() const noexcept { return pending; }

private:
    juce::uint32 pendingCode = 0;
    bool pending = false;

    JUCE_DECLARE_NON_COPYABLE (ScreenCodeBroadcaster)
};
