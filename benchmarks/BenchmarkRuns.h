#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// What both benchmarks share: each measurement runs in a fresh process of the benchmark itself,
// so the peak resident size of one size never carries into the next, and the figures of the
// repeated runs are summarised as min / median / max.
namespace BenchmarkRuns
{
// Resident sizes of this process in kB: now, and the peak since the last reset.
long residentKb();
long peakResidentKb();

// Lowers the recorded peak to the present size, so the next peak is that of the work that follows.
void resetPeakResident();

// Runs this executable again with the arguments and returns the "key=value" pairs of the line
// it printed that starts with "RESULT"; empty when it failed.
juce::StringPairArray runSelf (const juce::StringArray& arguments);

// One result line for the parent to read.
void printResult (const juce::StringPairArray& values);

// Seconds of wall-clock time of a shell command line; its exit status through the pointer.
double timeShell (const juce::String& commandLine, int* exitStatus = nullptr);

// "min / median / max" of the values with the given decimals.
juce::String summarise (juce::Array<double> values, int decimals);

// The framework with its windows, for a benchmark's main, with an application factory: without
// one JUCE installs no X error handlers, and a bare X server would end the process on its first
// harmless error.
struct GuiLibrary
{
    GuiLibrary();

    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> library;
};
} // namespace BenchmarkRuns
