// The program's cost while it waits for the customer: the CPU time the message loop takes over a
// stretch of idle seconds with a shown window, without and with the X event queue checks
// (XEventQueueWaker), and the number of times the process was woken (voluntary context switches).
// min / median / max of 3 runs, each measurement in a process of its own. Needs a display:
//   xvfb-run -a benchmarks/quorvelan_idle_benchmark [--seconds 10] [--runs 3]

#include "BenchmarkRuns.h"
#include "platform/XEventQueueWaker.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>
#include <sys/resource.h>

namespace
{
struct Usage
{
    double cpuMs;
    long wakeUps;
};

Usage readUsage()
{
    rusage usage{};
    getrusage (RUSAGE_SELF, &usage);
    auto ms = [] (const timeval& t)
    { return (double) t.tv_sec * 1000.0 + (double) t.tv_usec / 1000.0; };
    return { ms (usage.ru_utime) + ms (usage.ru_stime), usage.ru_nvcsw };
}

// Stops the message loop after the given time.
struct LoopStopper final : private juce::Timer
{
    explicit LoopStopper (int ms) { startTimer (ms); }

    void timerCallback() override
    {
        stopTimer();
        juce::MessageManager::getInstance()->stopDispatchLoop();
    }
};

int measure (bool withWaker, int seconds)
{
    juce::DocumentWindow window ("Idle", juce::Colours::black, juce::DocumentWindow::closeButton, false);
    window.setUsingNativeTitleBar (true);
    window.centreWithSize (785, 480);
    window.addToDesktop();
    window.setVisible (true);

    // The window settles first: mapped, painted.
    juce::MessageManager::getInstance()->runDispatchLoopUntil (1000);

    XEventQueueWaker waker;

    if (withWaker)
        waker.start();

    const auto before = readUsage();
    LoopStopper stopper (seconds * 1000);
    juce::MessageManager::getInstance()->runDispatchLoop();
    const auto after = readUsage();

    juce::StringPairArray values;
    values.set ("cpuMsPerSecond", juce::String ((after.cpuMs - before.cpuMs) / seconds, 3));
    values.set ("wakeUpsPerSecond", juce::String ((double) (after.wakeUps - before.wakeUps) / seconds, 1));
    BenchmarkRuns::printResult (values);
    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    BenchmarkRuns::GuiLibrary juceLibrary;
    const juce::StringArray arguments (argv + 1, argc - 1);

    if (arguments[0] == "--measure")
        return measure (arguments[1] == "on", arguments[2].getIntValue());

    int seconds = 10, runs = 3;

    for (int i = 0; i + 1 < arguments.size(); ++i)
    {
        if (arguments[i] == "--seconds")
            seconds = juce::jmax (1, arguments[i + 1].getIntValue());
        else if (arguments[i] == "--runs")
            runs = juce::jmax (1, arguments[i + 1].getIntValue());
    }

    std::cout << "idle message loop for " << seconds << " s with a shown window; min / median / max of " << runs << " runs\n";

    for (auto mode : { "off", "on" })
    {
        juce::Array<double> cpu, wakeUps;

        for (int run = 0; run < runs; ++run)
        {
            auto r = BenchmarkRuns::runSelf ({ "--measure", mode, juce::String (seconds) });

            if (r.size() == 0)
                return 1;

            cpu.add (r["cpuMsPerSecond"].getDoubleValue());
            wakeUps.add (r["wakeUpsPerSecond"].getDoubleValue());
        }

        std::cout << "\nX event queue checks " << mode << "\n"
                  << "  CPU time (ms per second):     " << BenchmarkRuns::summarise (cpu, 3) << "\n"
                  << "  wake-ups (per second):        " << BenchmarkRuns::summarise (wakeUps, 1) << std::endl;
    }

    return 0;
}
