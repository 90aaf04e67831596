#pragma once

#include "catalogue/InstallTask.h"
#include "platform/PlatformAuthorization.h"
#include "tasks/BackgroundUnpacker.h"
#include "tasks/ProgressMirror.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

class ComponentRecord;

// The install, update and uninstall task window: fetches and unpacks every component archive of
// the tasks, then asks once for administrator rights and replaces or removes each component's
// bundle in its format's folder, and rebuilds the catalogue at the end.
class DownloadThread final : public juce::ThreadWithProgressWindow
{
public:
    DownloadThread (const juce::OwnedArray<InstallTask>& tasks, bool installMode,
                    const PlatformAuthorization::Options& authorizationOptions = {});
    ~DownloadThread() override;

    void run() override;

    //==============================================================================
    // Fetches one archive and unpacks it into the temporary folder; true when the component's
    // new copy arrived whole and unpacked.
    bool downloadAndUnpack (const ComponentRecord& component);

    static juce::String destinationForFormat (const FormatLocations& locations, const juce::String& format);

    bool removeObsoleteFile (const ComponentRecord& component, const juce::String& destination);
    bool uninstallComponent (const ComponentRecord& component, const juce::String& destination, bool partOfInstall);
    bool installComponent (const ComponentRecord& component, const juce::String& destination);
    bool removePath (const ComponentRecord& component, const juce::String& destination);

    // "Alpha.component" in format "AU" shows as "Alpha AU".
    static juce::String makeLabel (const ComponentRecord& component);

    // A name from the server that can only ever mean one entry inside a folder.
    static bool isSafeComponentName (const juce::String& name);

    //==============================================================================
    // What the run did, for its record: every status line, and every privileged command.
    juce::StringArray getStatusLog() const;
    juce::Array<juce::StringArray> getCommandLog() const;
    bool wereRightsRequested() const noexcept { return rightsRequested; }

    // True once "Cancel" was pressed; the window then shows that the run is finishing and stays
    // until the run has ended.
    bool wasCancelPressed() const noexcept { return cancelPressed; }
    void cancelRun();

private:
    std::vector<ComponentRecord*> selectComponents (const InstallTask& task) const;
    // Fetches one archive into a file of the temporary folder; null unless it arrived whole.
    std::unique_ptr<ArchiveFile> fetchArchive (const ComponentRecord& component);
    bool isNewCopyReady (const ComponentRecord& component) const;
    // The folders the run acts in, one per format of each task: all the rights reach.
    juce::StringArray getDestinationFolders() const;
    void setStatus (const juce::String& key, const ComponentRecord* component = nullptr);
    void showProgress (double value);
    bool runPrivileged (const juce::String& tool, const juce::StringArray& arguments);
    juce::String getFinishingText() const;

    bool installMode;
    std::vector<InstallTask> tasks;
    std::unique_ptr<PlatformAuthorization> rightsRef;
    PlatformAuthorization::Options authorizationOptions;
    BackgroundUnpacker unpacker;
    bool rightsRequested = false;
    std::atomic<bool> cancelPressed{ false };
    juce::Button* cancelButton = nullptr;
    ProgressMirror barProgress{ *this };

    juce::CriticalSection logLock;
    juce::StringArray statusLog;
    juce::Array<juce::StringArray> commandLog;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DownloadThread)
};

// Runs the tasks in a DownloadThread window to its end.
void runInstallTasks (const juce::OwnedArray<InstallTask>& tasks, bool installMode);
