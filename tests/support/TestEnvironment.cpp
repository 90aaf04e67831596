#include "support/TestEnvironment.h"

#include <juce_events/juce_events.h>

#include <cstdlib>

namespace TestEnvironment
{
    juce::File useFreshHome()
    {
        auto home = juce::File::createTempFile ("quorvelan-home");
        home.createDirectory();
        setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
        unsetenv ("XDG_CONFIG_HOME");
        return home;
    }

    ScopedEnvironmentVariable::ScopedEnvironmentVariable (const char* variable, const char* value)
        : name (variable)
    {
        auto* old = getenv (variable);
        hadPrevious = old != nullptr;
        previous = hadPrevious ? juce::String (old) : juce::String();

        if (value != nullptr)
            setenv (variable, value, 1);
        else
            unsetenv (variable);
    }

    ScopedEnvironmentVariable::~ScopedEnvironmentVariable()
    {
        if (hadPrevious)
            setenv (name.toRawUTF8(), previous.toRawUTF8(), 1);
        else
            unsetenv (name.toRawUTF8());
    }

    bool runUntil (std::function<bool()> condition, int timeoutMs)
    {
        auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() > end)
                return false;

            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        }

        return true;
    }

    void runFor (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    ChildResult runTestInChildProcess (const juce::String& testName, int timeoutMs)
    {
        ScopedEnvironmentVariable marker ("QUORVELAN_CHILD_TEST", "1");

        juce::StringArray command;
        command.add (juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName());
        command.add ("--gtest_filter=" + testName);

        ChildResult result;
        juce::ChildProcess child;

        if (! child.start (command))
            return result;

        result.output = child.readAllProcessOutput();

        if (child.waitForProcessToFinish (timeoutMs))
            result.exitCode = (int) child.getExitCode();
        else
            child.kill();

        return result;
    }

    bool isChildProcess()
    {
        return getenv ("QUORVELAN_CHILD_TEST") != nullptr;
    }
}
