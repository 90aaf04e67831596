#include "BenchmarkRuns.h"

#include <cstdlib>
#include <iostream>

namespace BenchmarkRuns
{
namespace
{
    long readStatusField (const char* field)
    {
        for (auto& line : juce::StringArray::fromLines (juce::File ("/proc/self/status").loadFileAsString()))
            if (line.startsWith (field))
                return line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();

        return 0;
    }
} // namespace

long residentKb()
{
    return readStatusField ("VmRSS:");
}

long peakResidentKb()
{
    return readStatusField ("VmHWM:");
}

void resetPeakResident()
{
    juce::File ("/proc/self/clear_refs").replaceWithText ("5");
}

juce::StringPairArray runSelf (const juce::StringArray& arguments)
{
    juce::StringArray command (juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName());
    command.addArray (arguments);

    juce::StringPairArray values;
    juce::ChildProcess child;

    if (! child.start (command, juce::ChildProcess::wantStdOut))
        return values;

    const auto output = child.readAllProcessOutput();
    child.waitForProcessToFinish (-1);

    for (auto& line : juce::StringArray::fromLines (output))
    {
        if (! line.startsWith ("RESULT "))
            continue;

        for (auto& pair : juce::StringArray::fromTokens (line.fromFirstOccurrenceOf ("RESULT ", false, false), " ", {}))
            values.set (pair.upToFirstOccurrenceOf ("=", false, false), pair.fromFirstOccurrenceOf ("=", false, false));
    }

    if (values.size() == 0)
        std::cerr << output << "\n";

    return values;
}

void printResult (const juce::StringPairArray& values)
{
    juce::String line ("RESULT");

    for (auto& key : values.getAllKeys())
        line << " " << key << "=" << values[key];

    std::cout << line << std::endl;
}

double timeShell (const juce::String& commandLine, int* exitStatus)
{
    double seconds = 0.0;
    int status = 0;

    {
        juce::ScopedTimeMeasurement measure (seconds);
        status = std::system (commandLine.toRawUTF8());
    }

    if (exitStatus != nullptr)
        *exitStatus = status;

    return seconds;
}

juce::String summarise (juce::Array<double> values, int decimals)
{
    if (values.isEmpty())
        return "-";

    values.sort();
    const auto median = values.size() % 2 == 1 ? values[values.size() / 2]
                                               : (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2.0;
    return juce::String (values.getFirst(), decimals) + " / " + juce::String (median, decimals) + " / "
           + juce::String (values.getLast(), decimals);
}

GuiLibrary::GuiLibrary()
{
    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase*
    { return nullptr; };
    library = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
}
} // namespace BenchmarkRuns
