#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A progress value that work on a task thread writes through a plain pointer, copied into the
// task window's bar by a timer on the message thread.
class ProgressMirror final : private juce::Timer
{
public:
    explicit ProgressMirror (juce::ThreadWithProgressWindow& window);
    ~ProgressMirror() override;

    double* getValuePointer() noexcept { return &value; }

private:
    void timerCallback() override;

    juce::ThreadWithProgressWindow& window;
    double value = 0.0;
};
