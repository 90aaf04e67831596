#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "services/ProgramValues.h"
#include "standin/StandInServer.h"
#include "support/TestEnvironment.h"

int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);

    // Listing the tests needs no display and no JUCE.
    if (testing::GTEST_FLAG (list_tests))
        return RUN_ALL_TESTS();

    // Keeps every test away from the real home folder; a child process shares its parent's.
    if (! TestEnvironment::isChildProcess())
        TestEnvironment::useFreshHome();

    // Until a test starts its stand-in server, requests go to a port that was free a moment ago
    // rather than to the built-in one, where a manager run beside the tests may be listening.
    {
        StandInServer probe;
        useServerOriginForTests ("http://127.0.0.1:" + juce::String (probe.start (0)));
        probe.stop();
    }

    // Without an application factory JUCE installs no X error handlers, and a bare X server
    // would end the process on its first harmless error.
    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase*
    { return nullptr; };
    juce::ScopedJuceInitialiser_GUI juce;

    return RUN_ALL_TESTS();
}
