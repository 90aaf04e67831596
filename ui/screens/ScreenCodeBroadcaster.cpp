#include "ui/screens/ScreenCodeBroadcaster.h"

void ScreenCodeBroadcaster::sendScreenCode (int code)
{
    if (pending)
        return;

    pending = true;
    pendingCode = (juce::uint32) code;
    sendChangeMessage();
}

juce::uint32 ScreenCodeBroadcaster::takeScreenCode() noexcept
{
    pending = false;
    return pendingCode;
}
