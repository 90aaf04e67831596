#include <gtest/gtest.h>

#include "platform/XEventQueueWaker.h"
#include "support/OtherXClient.h"
#include "support/TestEnvironment.h"

namespace
{
// A button alone in a window of its own, counting its clicks.
struct ButtonWindow
{
    ButtonWindow()
    {
        button.onClick = [this]
        { ++clicks; };
        button.setBounds (200, 200, 160, 60);
        button.addToDesktop (juce::ComponentPeer::windowAppearsOnTaskbar);
        button.setVisible (true);
    }

    juce::TextButton button{ "Next" };
    int clicks = 0;
};
} // namespace

// A click that reached the socket, then was read into the X library's queue by a round trip of
// the message thread (a repaint's sync, a pointer query), is handled with no further input.
TEST (XEventQueueWaker, AClickReadIntoTheQueueIsHandledWithoutFurtherInput)
{
    OtherXClient other;
    ASSERT_TRUE (other.isConnected());

    ButtonWindow window;
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return window.button.isShowing(); },
                                            30000));
    TestEnvironment::runFor (200);

    XEventQueueWaker waker;
    waker.start();
    ASSERT_TRUE (waker.isRunning());

    constexpr int rounds = 20;
    int handled = 0, stranded = 0;

    for (int round = 0; round < rounds; ++round)
    {
        const auto before = window.clicks;
        other.sendClick (window.button, window.button.getLocalBounds().getCentre());

        // Time for the click to reach the socket; then the round trip takes it into the queue.
        juce::Thread::sleep (100);
        OtherXClient::syncFrameworkConnection();

        if (OtherXClient::getFrameworkQueueLength() > 0)
            ++stranded;

        if (TestEnvironment::runUntil ([&]
                                       { return window.clicks > before; },
                                       1000))
            ++handled;
    }

    // Without a stranded click the test proves nothing.
    EXPECT_EQ (stranded, rounds) << "the round trip did not leave the click in the queue";
    EXPECT_EQ (handled, rounds);

    // Stopped, it leaves no window of its own behind and can start again.
    waker.stop();
    EXPECT_FALSE (waker.isRunning());
    waker.start();
    EXPECT_TRUE (waker.isRunning());
}
