#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A progress value that work on a task thread writes through a pointer to an atomic, copied
// into the task window's bar by a timer on the message thread: the bar's only writer.
class ProgressMirror final : private juce::Timer
{
public:
    explicit ProgressMirror (juce::ThreadWithProgressWindow& window);
    ~ProgressMirror() override;

    std::atomic<double>* getValuePointer() noexcept { return &value; }

private:
    void timerCallback() override;

    juce::ThreadWithProgressWindow& window;
    std::atomic<double> value{ 0.0 };
};
