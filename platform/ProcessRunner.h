#pragma once

#include <juce_core/juce_core.h>

// Starts programs from their argument vectors (no shell) and waits for them.
class ProcessRunner final
{
public:
    // Runs the program (argument 0, an absolute path) with its output discarded; returns its
    // exit status, or -1 when it could not be started or did not end normally.
    static int runAndWait (const juce::StringArray& arguments);

    // Starts the program with pipes to its standard input and from its standard output.
    // Returns the process id, or -1.
    static int startWithPipes (const juce::StringArray& arguments, int& writeToChild, int& readFromChild);

    // Waits for a started process; its exit status, or -1.
    static int wait (int processId);

    static bool isRoot();

private:
    ProcessRunner() = delete;
};
