#include <gtest/gtest.h>

#include "services/ProgramQuit.h"
#include "support/TestEnvironment.h"

#include <juce_events/juce_events.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

// Runs only in a child process: a quit asked in a message callback right after a modal loop (as
// after a prompt or a task window) ends the outer message loop with no further event. The
// watchdog only bounds a hang; it posts nothing, so it cannot wake the loop itself.
TEST (ProgramQuit, AfterAModalLoopInChild)
{
    if (! TestEnvironment::isChildProcess())
        GTEST_SKIP() << "runs inside ProgramQuit.EndsTheMessageLoopWithNoFurtherEvent";

    std::mutex lock;
    std::condition_variable loopEnded;
    bool ended = false;

    std::thread watchdog ([&]
                          {
        std::unique_lock<std::mutex> guard (lock);

        if (! loopEnded.wait_for (guard, std::chrono::seconds (20), [&] { return ended; }))
        {
            std::puts ("the message loop did not end");
            std::fflush (stdout);
            std::_Exit (3);
        } });

    juce::MessageManager::callAsync ([]
                                     {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        ProgramQuit::request(); });

    juce::MessageManager::getInstance()->runDispatchLoop();

    {
        const std::lock_guard<std::mutex> guard (lock);
        ended = true;
    }

    loopEnded.notify_one();
    watchdog.join();
}

TEST (ProgramQuit, EndsTheMessageLoopWithNoFurtherEvent)
{
    auto result = TestEnvironment::runTestInChildProcess ("ProgramQuit.AfterAModalLoopInChild");

    EXPECT_EQ (result.exitCode, 0) << result.output;
    EXPECT_TRUE (result.output.contains ("[  PASSED  ] 1 test")) << result.output;
}
