// Installs 5, 20 and 80 components of 5 MB each, and one of 200 MB, from the stand-in server with
// the program's install task, then does the same work with curl + unzip + mv in one shell run,
// and prints both times, their ratio and the peak resident memory of each: min / median / max of
// 3 runs, each in a process of its own. Run it as root inside the private namespace on a display,
// from the build folder:
//   xvfb-run -a ../tests/scripts/in_private_root.sh benchmarks/quorvelan_install_benchmark [--archives 5,20,80] [--large 200] [--runs 3]

#include "BenchmarkRuns.h"
#include "catalogue/BundleFixtures.h"
#include "catalogue/InstallTask.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "services/ProgramValues.h"
#include "tasks/DownloadThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <iostream>

namespace
{
constexpr int smallArchiveMb = 5;

juce::String componentName (int index)
{
    return "Bench Plug " + juce::String (index) + ".vst";
}

juce::File archiveIn (const juce::File& root, int index)
{
    return root.getChildFile ("plugrepo/components/MAC/" + componentName (index) + ".zip");
}

int countInstalled (const juce::File& folder, int numComponents, juce::int64 payloadBytes)
{
    int found = 0;
    for (int i = 0; i < numComponents; ++i)
        found += folder.getChildFile (componentName (i) + "/Contents/MacOS/binary").getSize() == payloadBytes ? 1 : 0;
    return found;
}

// Archives 0..count-1, each a bundle with an incompressible binary of its own.
void writeArchives (const juce::File& root, int count, int megabytes)
{
    juce::Random random (22);
    juce::MemoryBlock payload ((size_t) megabytes * 1024 * 1024);

    for (int i = 0; i < count; ++i)
    {
        random.fillBitsRandomly (payload.getData(), payload.getSize());
        BundleFixtures::writeBundleArchive (archiveIn (root, i), componentName (i), "2.0", payload);
    }
}

// A server root whose catalogue offers the first count archives of the source root, linked.
juce::File makeRoot (const juce::File& parent, const juce::File& source, int count)
{
    auto root = parent.getChildFile ("root-" + juce::String (count));
    archiveIn (root, 0).getParentDirectory().createDirectory();
    juce::String xml ("<components>");

    for (int i = 0; i < count; ++i)
    {
        std::system (("ln '" + archiveIn (source, i).getFullPathName() + "' '" + archiveIn (root, i).getFullPathName() + "'").toRawUTF8());
        xml << BundleFixtures::productXml (i, "Bench " + juce::String (i), "2.0", i,
                                           BundleFixtures::componentXml ("VST", componentName (i)));
    }

    root.getChildFile ("components.xml").replaceWithText (xml + "</components>");
    return root;
}

int measure (int numComponents, int megabytes, const juce::File& root)
{
    const auto payloadBytes = (juce::int64) megabytes * 1024 * 1024;
    juce::File ("/Library/Audio").deleteRecursively();

    auto home = juce::File::createTempFile ("-bench-home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    const auto port = juce::URL (serverRequestUrl).getPort();
    const auto serverProgram = juce::File::getSpecialLocation (juce::File::currentExecutableFile)
                                   .getParentDirectory()
                                   .getSiblingFile ("standin/quorvelan_standin_server");
    juce::ChildProcess server;

    if (! server.start (juce::StringArray{ serverProgram.getFullPathName(), "--port", juce::String (port), "--root", root.getFullPathName() }, 0))
    {
        std::cerr << "Cannot start " << serverProgram.getFullPathName() << "\n";
        return 1;
    }

    auto& catalogue = ProductCatalogue::getInstance();

    for (int attempt = 0; attempt < 50 && catalogue.getNumProducts() != numComponents; ++attempt)
    {
        juce::Thread::sleep (100);
        catalogue.requestComponents (nullptr);
    }

    if (catalogue.getNumProducts() != numComponents)
    {
        std::cerr << "The stand-in server did not serve the catalogue on port " << port << "\n";
        server.kill();
        return 1;
    }

    juce::OwnedArray<InstallTask> tasks;
    catalogue.buildInstallAllTasks (tasks);

    // As the install-all offer does: the chosen formats' folders replace the tasks' own.
    for (auto* task : tasks)
    {
        task->formats = juce::StringArray{ "VST" };
        task->locations.vst = catalogue.getVstInstallFolder();
    }

    // In the program the main window is up before any install: the fonts and the window
    // machinery are loaded by an empty run first, outside the measurement.
    {
        DownloadThread warmUp (juce::OwnedArray<InstallTask>(), true);
        warmUp.runThread (juce::Thread::Priority::normal);
    }

    juce::StringArray statuses;
    double ours = 0.0;
    BenchmarkRuns::resetPeakResident();
    const auto idleKb = BenchmarkRuns::residentKb();

    {
        juce::ScopedTimeMeasurement measure (ours);
        DownloadThread download (tasks, true);
        download.runThread (juce::Thread::Priority::normal);
        statuses = download.getStatusLog();
    }

    const auto oursPeakKb = BenchmarkRuns::peakResidentKb() - idleKb;
    const auto oursInstalled = countInstalled (juce::File (getDefaultVstFolder()), numComponents, payloadBytes);

    if (oursInstalled != numComponents)
        std::cerr << statuses.joinIntoString ("\n") << "\n";

    // The same work by hand: fetch, unpack, replace. Its scratch folder and destination lie on the
    // same volumes as the task's temporary folder and plug-in folder, so its moves cost the same.
    auto scratch = juce::File::createTempFile ("-bench-shell");
    const juce::File destination ("/Library/Bench Shell Destination");
    scratch.createDirectory();
    destination.createDirectory();

    juce::String script ("set -e\n");
    for (int i = 0; i < numComponents; ++i)
    {
        auto name = componentName (i);
        auto url = repositoryBaseUrl + "components/MAC/" + name.replace (" ", "%20") + ".zip";
        script << "curl -sf -o '" << scratch.getFullPathName() << "/" << name << ".zip' '" << url << "'\n"
               << "unzip -qo -d '" << scratch.getFullPathName() << "' '" << scratch.getFullPathName() << "/" << name << ".zip'\n"
               << "mkdir -p '" << destination.getFullPathName() << "'\n"
               << "rm -Rf '" << destination.getFullPathName() << "/" << name << "'\n"
               << "mv -f '" << scratch.getFullPathName() << "/" << name << "' '" << destination.getFullPathName() << "'\n";
    }

    auto scriptFile = scratch.getChildFile ("install.sh");
    scriptFile.replaceWithText (script, false, false, "\n");

    // GNU time reports the largest peak of the shell and the tools it ran.
    auto peakFile = scratch.getChildFile ("peak.txt");
    int shellStatus = 0;
    const auto shell = BenchmarkRuns::timeShell ("/usr/bin/time -f %M -o '" + peakFile.getFullPathName() + "' /bin/bash '"
                                                     + scriptFile.getFullPathName() + "'",
                                                 &shellStatus);
    const auto shellPeakKb = peakFile.loadFileAsString().trim().getLargeIntValue();
    const auto shellInstalled = countInstalled (destination, numComponents, payloadBytes);

    server.kill();
    catalogue.dropOnlineComponents();
    catalogue.clear();

    juce::StringPairArray result;
    result.set ("ours", juce::String (ours));
    result.set ("oursInstalled", juce::String (oursInstalled));
    result.set ("oursPeakKb", juce::String (oursPeakKb));
    result.set ("shell", juce::String (shell));
    result.set ("shellInstalled", juce::String (shellInstalled));
    result.set ("shellPeakKb", juce::String (shellPeakKb));
    BenchmarkRuns::printResult (result);

    for (auto folder : { home, scratch, destination, juce::File ("/Library/Audio") })
        folder.deleteRecursively();

    return oursInstalled == numComponents && shellInstalled == numComponents && shellStatus == 0 ? 0 : 1;
}

juce::Array<int> parseList (const juce::String& text)
{
    juce::Array<int> values;

    for (auto& token : juce::StringArray::fromTokens (text, ",", {}))
        if (token.getIntValue() > 0)
            values.add (token.getIntValue());

    return values;
}
} // namespace

int main (int argc, char* argv[])
{
    BenchmarkRuns::GuiLibrary juceLibrary;
    const juce::StringArray arguments (argv + 1, argc - 1);

    if (arguments[0] == "--measure")
        return measure (arguments[1].getIntValue(), arguments[2].getIntValue(), juce::File (arguments[3]));

    if (juce::File ("/Library").getNumberOfChildFiles (juce::File::findFilesAndDirectories) > 0)
    {
        std::cerr << "Run this inside tests/scripts/in_private_root.sh: /Library is not empty.\n";
        return 1;
    }

    auto counts = parseList ("5,20,80");
    int largeMb = 200;
    int runs = 3;

    for (int i = 0; i + 1 < arguments.size(); ++i)
    {
        if (arguments[i] == "--archives")
            counts = parseList (arguments[i + 1]);
        else if (arguments[i] == "--large")
            largeMb = arguments[i + 1].getIntValue();
        else if (arguments[i] == "--runs")
            runs = juce::jmax (1, arguments[i + 1].getIntValue());
    }

    // The repositories, made once: the small archives shared by every count, and the large one.
    auto repositories = juce::File::createTempFile ("-bench-repositories");
    auto smallSource = repositories.getChildFile ("small");
    auto largeSource = repositories.getChildFile ("large");
    int mostArchives = 0;

    for (auto count : counts)
        mostArchives = juce::jmax (mostArchives, count);

    writeArchives (smallSource, mostArchives, smallArchiveMb);

    struct Size
    {
        int count, megabytes;
        juce::File root;
    };

    std::vector<Size> sizes;

    for (auto count : counts)
        sizes.push_back ({ count, smallArchiveMb, makeRoot (smallSource, smallSource, count) });

    if (largeMb > 0)
    {
        writeArchives (largeSource, 1, largeMb);
        sizes.push_back ({ 1, largeMb, makeRoot (largeSource, largeSource, 1) });
    }

    std::cout << "install task beside curl + unzip + mv in one shell; min / median / max of " << runs << " runs\n";
    bool allInstalled = true;

    for (auto& size : sizes)
    {
        juce::Array<double> ours, shell, ratio, oursPeak, shellPeak;

        for (int run = 0; run < runs; ++run)
        {
            auto r = BenchmarkRuns::runSelf ({ "--measure", juce::String (size.count), juce::String (size.megabytes), size.root.getFullPathName() });

            if (r.size() == 0 || r["oursInstalled"].getIntValue() != size.count || r["shellInstalled"].getIntValue() != size.count)
            {
                allInstalled = false;
                continue;
            }

            ours.add (r["ours"].getDoubleValue());
            shell.add (r["shell"].getDoubleValue());
            ratio.add (r["ours"].getDoubleValue() / r["shell"].getDoubleValue());
            oursPeak.add (r["oursPeakKb"].getDoubleValue() / 1024.0);
            shellPeak.add (r["shellPeakKb"].getDoubleValue() / 1024.0);
        }

        std::cout << "\n"
                  << size.count << " archive(s) of " << size.megabytes << " MB (" << ours.size() << " runs installed whole)\n"
                  << "  install task (s):                          " << BenchmarkRuns::summarise (ours, 2) << "\n"
                  << "  curl + unzip + mv (s):                     " << BenchmarkRuns::summarise (shell, 2) << "\n"
                  << "  ratio install task / shell:                " << BenchmarkRuns::summarise (ratio, 2) << "\n"
                  << "  install task peak resident above idle (MB): " << BenchmarkRuns::summarise (oursPeak, 1) << "\n"
                  << "  shell peak resident, largest process (MB): " << BenchmarkRuns::summarise (shellPeak, 1) << std::endl;
    }

    repositories.deleteRecursively();
    return allInstalled ? 0 : 1;
}
