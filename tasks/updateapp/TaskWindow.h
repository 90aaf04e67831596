#pragma once

#include "tasks/ProgressMirror.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace updateapp
{
// The "Downloading Update..." task window: fetches the new copy of the manager into the
// temporary folder and, once the window has closed, tells the customer the outcome and, when the
// archive arrived whole, starts the hand-over that installs it once the manager has quit.
class TaskWindow final : public juce::ThreadWithProgressWindow
{
public:
    TaskWindow (const juce::String& downloadUrl, float newVersion);
    ~TaskWindow() override;

    void run() override;

    // On the message thread once the window has closed: the outcome box, then the hand-over.
    void threadComplete (bool userPressedCancel) override;

    //==============================================================================
    enum class Outcome
    {
        notRun,
        cancelled,
        failed,
        downloaded
    };

    Outcome getOutcome() const noexcept { return outcome; }

    // The status line the run set, for its record.
    juce::String getStatusText() const;

    // Starts the hand-over after the "Download Complete" box; by default the real one, for the
    // temporary folder.
    void setLauncher (std::function<void()> newLauncher);

    // translate ("TXT_APP_TITLE") + " v" + the version with 2 decimals.
    static juce::String makeStatusText (float version);

    static juce::File getArchiveFile();
    static juce::File getUnpackedBundle();

    // An archive that holds the bundle at its top level.
    static bool holdsBundle (const juce::File& archive);

    juce::String downloadUrl;
    float newVersion;

private:
    // True when every byte announced arrived and was written.
    bool download();

    std::function<void()> launcher;
    ProgressMirror barProgress{ *this };
    juce::String statusText;
    juce::CriticalSection statusLock;
    std::atomic<Outcome> outcome{ Outcome::notRun };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TaskWindow)
};
} // namespace updateapp
