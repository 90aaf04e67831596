#include <gtest/gtest.h>

#include "support/ModalDriver.h"
#include "tasks/ProgressMirror.h"

namespace
{
// Writes each value through the mirror from its own thread, and goes on only once the window's
// bar shows it.
class SteppingTask final : public juce::ThreadWithProgressWindow
{
public:
    SteppingTask()
        : juce::ThreadWithProgressWindow ("Stepping", true, false)
    {
    }

    void run() override
    {
        for (auto value : steps)
        {
            *mirror.getValuePointer() = value;

            if (! shown.wait (60000))
                return;

            ++stepsShown;
        }
    }

    const std::vector<double> steps{ 0.25, 0.5, 0.75, 1.0 };
    std::atomic<int> stepsShown{ 0 };
    juce::WaitableEvent shown;
    ProgressMirror mirror{ *this };
};

struct BarWatcher final : private juce::Timer
{
    explicit BarWatcher (SteppingTask& t)
        : task (t)
    {
        startTimer (5);
    }
    ~BarWatcher() override { stopTimer(); }

    void timerCallback() override
    {
        auto* bar = ModalDriver::findProgressBar (*task.getAlertWindow());
        const auto next = (size_t) task.stepsShown.load();

        // Each step is answered once, when the bar shows its own value.
        if (bar != nullptr && next < task.steps.size() && (int) next != answered
            && ModalDriver::getProgressValue (*bar) == task.steps[next])
        {
            answered = (int) next;
            task.shown.signal();
        }
    }

    SteppingTask& task;
    int answered = -1;
};
} // namespace

TEST (ProgressMirror, TheBarShowsEveryValueTheTaskWrites)
{
    SteppingTask task;
    BarWatcher watcher (task);

    EXPECT_TRUE (task.runThread (juce::Thread::Priority::normal));
    EXPECT_EQ (task.stepsShown.load(), 4);
}
