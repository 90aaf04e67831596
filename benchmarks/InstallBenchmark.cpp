// Installs 20 components of about 5 MB each from the stand-in server with the program's install
// task, then does the same work with curl + unzip + mv in one shell run, and prints both times,
// their ratio and the peak resident memory of each. Run it as root inside the private namespace
// on a display, from the build folder:
//   xvfb-run -a ../tests/scripts/in_private_root.sh benchmarks/quorvelan_install_benchmark

#include "app/ProgramValues.h"
#include "catalogue/BundleFixtures.h"
#include "catalogue/InstallTask.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "tasks/DownloadThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <sys/resource.h>

#include <cstdlib>
#include <iostream>

namespace
{
constexpr int numComponents = 20;
constexpr int payloadBytes = 5 * 1024 * 1024;

juce::String componentName (int index)
{
    return "Bench Plug " + juce::String (index) + ".vst";
}

long peakKilobytes (int who)
{
    rusage usage{};
    getrusage (who, &usage);
    return usage.ru_maxrss;
}

int countInstalled (const juce::File& folder)
{
    int found = 0;
    for (int i = 0; i < numComponents; ++i)
        found += folder.getChildFile (componentName (i) + "/Contents/MacOS/binary").getSize() == payloadBytes ? 1 : 0;
    return found;
}
} // namespace

int main()
{
    // Without an application factory JUCE installs no X error handlers, and a bare X server
    // would end the process on its first harmless error.
    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase*
    { return nullptr; };
    juce::ScopedJuceInitialiser_GUI juceLibrary;

    if (juce::File ("/Library").getNumberOfChildFiles (juce::File::findFilesAndDirectories) > 0)
    {
        std::cerr << "Run this inside tests/scripts/in_private_root.sh: /Library is not empty.\n";
        return 1;
    }

    auto home = juce::File::createTempFile ("-bench-home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    // The repository and the catalogue the stand-in serves.
    auto root = juce::File::createTempFile ("-bench-repository");
    juce::Random random (22);
    juce::MemoryBlock payload (payloadBytes);
    juce::String xml ("<components>");

    for (int i = 0; i < numComponents; ++i)
    {
        // Each bundle with an incompressible binary of its own.
        random.fillBitsRandomly (payload.getData(), payload.getSize());
        BundleFixtures::writeBundleArchive (root.getChildFile ("plugrepo/components/MAC/" + componentName (i) + ".zip"),
                                            componentName (i), "2.0", payload);
        xml << BundleFixtures::productXml (i, "Bench " + juce::String (i), "2.0", i,
                                           BundleFixtures::componentXml ("VST", componentName (i)));
    }

    xml << "</components>";
    root.getChildFile ("components.xml").replaceWithText (xml);

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

    juce::Thread::sleep (500);

    auto& catalogue = ProductCatalogue::getInstance();
    if (! catalogue.requestComponents (nullptr) || catalogue.getNumProducts() != numComponents)
    {
        std::cerr << "The stand-in server did not serve the catalogue on port " << port << "\n";
        server.kill();
        return 1;
    }

    const auto baselineKb = peakKilobytes (RUSAGE_SELF);
    juce::OwnedArray<InstallTask> tasks;
    catalogue.buildInstallAllTasks (tasks);

    // As the install-all offer does: the chosen formats' folders replace the tasks' own.
    for (auto* task : tasks)
    {
        task->formats = juce::StringArray{ "VST" };
        task->locations.vst = catalogue.getVstInstallFolder();
    }

    juce::StringArray statuses;
    double ours = 0.0;

    {
        juce::ScopedTimeMeasurement measure (ours);
        DownloadThread download (tasks, true);
        download.runThread (juce::Thread::Priority::normal);
        statuses = download.getStatusLog();
    }

    const auto oursKb = peakKilobytes (RUSAGE_SELF);
    const auto oursInstalled = countInstalled (juce::File (getDefaultVstFolder()));

    if (oursInstalled != numComponents)
        std::cerr << statuses.joinIntoString ("\n") << "\n";

    // The same work by hand: fetch, unpack, replace.
    auto scratch = juce::File::createTempFile ("-bench-shell");
    auto destination = juce::File::createTempFile ("-bench-destination");
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
    int shellStatus = 0;
    // GNU time reports the largest peak of the shell and the tools it ran.
    auto peakFile = scratch.getChildFile ("peak.txt");
    double shell = 0.0;

    {
        juce::ScopedTimeMeasurement measure (shell);
        shellStatus = std::system (("/usr/bin/time -f %M -o '" + peakFile.getFullPathName() + "' /bin/bash '"
                                    + scriptFile.getFullPathName() + "'")
                                       .toRawUTF8());
    }
    const auto shellKb = peakFile.loadFileAsString().trim().getLargeIntValue();
    const auto shellInstalled = countInstalled (destination);

    server.kill();
    catalogue.dropOnlineComponents();
    catalogue.clear();

    std::cout << numComponents << " components of " << payloadBytes / (1024 * 1024) << " MB each\n"
              << "install task: " << ours << " s, " << oursInstalled << " installed, peak resident "
              << oursKb / 1024 << " MB (" << baselineKb / 1024 << " MB before the run)\n"
              << "curl + unzip + mv: " << shell << " s, " << shellInstalled << " installed (exit " << shellStatus
              << "), peak resident of the largest process " << shellKb / 1024 << " MB\n"
              << "ratio install task / shell: " << ours / shell << "\n";

    return oursInstalled == numComponents && shellInstalled == numComponents ? 0 : 1;
}
