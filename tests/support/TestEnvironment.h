#pragma once

#include <juce_core/juce_core.h>

#include <functional>

namespace TestEnvironment
{
// Points HOME at a new empty temporary folder (and clears XDG_CONFIG_HOME), so the settings
// folder is "<that folder>/.config/Quorvelan/". Returns the folder; it is removed when the
// process ends.
juce::File useFreshHome();

// Sets an environment variable for the life of the object.
class ScopedEnvironmentVariable
{
public:
    ScopedEnvironmentVariable (const char* name, const char* value);
    ~ScopedEnvironmentVariable();

private:
    juce::String name, previous;
    bool hadPrevious;
};

// Runs the message loop until the condition holds or the time is up; true when it holds.
bool runUntil (std::function<bool()> condition, int timeoutMs = 5000);

// Runs the message loop for a while.
void runFor (int milliseconds);

struct ChildResult
{
    int exitCode = -1;
    juce::String output;
};

// Runs one test of this executable in a process of its own (for tests whose code ends the
// message loop), with QUORVELAN_CHILD_TEST set so that the test body runs there.
ChildResult runTestInChildProcess (const juce::String& testName, int timeoutMs = 60000);

// True in the process started by runTestInChildProcess.
bool isChildProcess();

// True inside the private mount namespace where /Library, /Applications and /opt are empty
// folders of the test's own.
bool isInPrivateRoot();

// True when this process may make that namespace (it runs as root).
bool canMakePrivateRoot();

// Runs the current test again inside that namespace (needs root). The time-out only guards
// against a hang: ctest bounds each test. With its own process space the test sees only the
// processes it started, and none of them outlives it.
ChildResult runCurrentTestInPrivateRoot (int timeoutMs = 900000, bool ownProcessSpace = false);
} // namespace TestEnvironment

// Put first in a test that uses the program's absolute folders: outside the private namespace it
// runs the test inside one and reports its outcome; inside, the test body runs. Making the
// namespace needs root: run by another user, the test is skipped (and says so).
#define QUORVELAN_RUN_IN_PRIVATE_ROOT()                                                        \
    if (! TestEnvironment::isInPrivateRoot() && ! TestEnvironment::canMakePrivateRoot())       \
        GTEST_SKIP() << "needs root for a private mount namespace";                            \
    if (! TestEnvironment::isInPrivateRoot())                                                  \
    {                                                                                          \
        auto privateRun = TestEnvironment::runCurrentTestInPrivateRoot();                      \
        ASSERT_EQ (privateRun.exitCode, 0) << privateRun.output;                               \
        ASSERT_TRUE (privateRun.output.contains ("[  PASSED  ] 1 test")) << privateRun.output; \
        return;                                                                                \
    }
