#pragma once

#include <juce_core/juce_core.h>

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
} // namespace BenchmarkRuns
