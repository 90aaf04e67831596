#include "support/TestEnvironment.h"

#include "platform/ProcessRunner.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace TestEnvironment
{
namespace
{
    // The homes this process made, removed when it ends.
    struct FreshHomes
    {
        ~FreshHomes()
        {
            for (const auto& path : paths)
            {
                std::error_code ignored;
                std::filesystem::remove_all (path, ignored);
            }
        }

        std::vector<std::string> paths;
    };
} // namespace

juce::File useFreshHome()
{
    static FreshHomes made;
    auto home = juce::File::createTempFile ("quorvelan-home");
    home.createDirectory();
    made.paths.push_back (home.getFullPathName().toStdString());
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

namespace
{
    ChildResult runChild (juce::StringArray command, int timeoutMs);
}

ChildResult runTestInChildProcess (const juce::String& testName, int timeoutMs)
{
    juce::StringArray command;
    command.add (juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName());
    command.add ("--gtest_filter=" + testName);
    return runChild (command, timeoutMs);
}

ChildResult runCurrentTestInPrivateRoot (int timeoutMs, bool ownProcessSpace)
{
    auto* info = testing::UnitTest::GetInstance()->current_test_info();

    juce::StringArray command;

    if (ownProcessSpace)
        command.addArray ({ "/usr/bin/unshare", "--pid", "--fork", "--mount-proc", "--kill-child" });

    command.add (QUORVELAN_SOURCE_DIR "/tests/scripts/in_private_root.sh");
    command.add (juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName());
    command.add ("--gtest_filter=" + juce::String (info->test_suite_name()) + "." + info->name());
    return runChild (command, timeoutMs);
}

bool canMakePrivateRoot()
{
    return ProcessRunner::isRoot();
}

bool isInPrivateRoot()
{
    return getenv ("QUORVELAN_IN_PRIVATE_ROOT") != nullptr;
}

namespace
{
    ChildResult runChild (juce::StringArray command, int timeoutMs)
    {
        ScopedEnvironmentVariable marker ("QUORVELAN_CHILD_TEST", "1");

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
} // namespace

bool isChildProcess()
{
    return getenv ("QUORVELAN_CHILD_TEST") != nullptr;
}
} // namespace TestEnvironment
