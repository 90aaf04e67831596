#include <gtest/gtest.h>

#include "app/KestruneMainWindow.h"
#include "localisation/Languages.h"
#include "services/InfoAlert.h"
#include "services/SettingsFiles.h"
#include "support/ModalDriver.h"
#include "support/OtherXClient.h"
#include "support/TestEnvironment.h"
#include "tasks/TaskWindow.h"
#include "ui/folders/SubDirectoryChooser.h"
#include "ui/widgets/ProgramLookAndFeel.h"

namespace
{
// A task window whose thread runs until the window has been looked at.
class WaitingTask final : public juce::ThreadWithProgressWindow
{
public:
    WaitingTask()
        : juce::ThreadWithProgressWindow ("Waiting", true, true, TaskWindow::stopTimeoutMs, TaskWindow::cancelButtonText)
    {
    }

    void run() override
    {
        while (! threadShouldExit() && ! seen.wait (10))
            setProgress (0.5);
    }

    juce::WaitableEvent seen;
};

struct ShownWindow
{
    juce::String name;
    unsigned long nativeWindow = 0;
    juce::Rectangle<int> bounds;
};

ShownWindow noteShownWindow (const juce::String& name, juce::Component& window)
{
    return { name, OtherXClient::getNativeWindow (window), window.getScreenBounds() };
}

juce::String describe (const std::vector<juce::Rectangle<int>>& bounds)
{
    juce::StringArray texts;

    for (auto& r : bounds)
        texts.add (r.toString());

    return texts.isEmpty() ? juce::String ("nothing") : texts.joinIntoString (" | ");
}
} // namespace

// Each top-level window gets its native window once its size, place and content are set: from
// the window's creation on, the X server (and so a window manager, however late it acts) sees no
// other size or place for it than the one it shows at, before and after its first mapping.
TEST (NativeWindows, EachTopLevelWindowIsMadeAtItsSizeAndPlace)
{
    TestEnvironment::useFreshHome();
    SettingsFiles::createSettingsFolder();
    setLanguage (0);

    ProgramLookAndFeel lookAndFeel;
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);

    OtherXClient other;
    ASSERT_TRUE (other.isConnected());
    other.watchTopLevelWindows();

    std::vector<ShownWindow> shown;
    ModalDriver driver;

    // First start: the licence agreement over the main window.
    driver.whenModalAppears ([&] (juce::Component& modal)
                             {
        shown.push_back (noteShownWindow ("licence agreement", modal));
        ModalDriver::pressButton (modal, "Accept"); });

    {
        KestruneMainWindow window;
        shown.push_back (noteShownWindow ("main window", window));
        EXPECT_EQ (window.getScreenBounds().getWidth(), 785);
        EXPECT_EQ (window.getScreenBounds().getHeight(), 480);
        TestEnvironment::runFor (200);

        // A message box of the program's look-and-feel.
        driver.whenModalAppears ([&] (juce::Component& modal)
                                 {
            shown.push_back (noteShownWindow ("message box", modal));
            ModalDriver::pressButton (modal, "OK"); });
        InfoAlert::show ("LAB_EULA", "TXT_EULA_DESC");

        // A task window.
        WaitingTask task;
        driver.whenModalAppears ([&] (juce::Component& modal)
                                 {
            shown.push_back (noteShownWindow ("task window", modal));
            task.seen.signal(); });
        task.runThread (TaskWindow::priority);

        // The folder chooser.
        auto root = juce::File::createTempFile ("chooser");
        ASSERT_TRUE (root.getChildFile ("Sub").createDirectory());
        driver.whenModalAppears ([&] (juce::Component& modal)
                                 {
            shown.push_back (noteShownWindow ("folder chooser", modal));
            ModalDriver::pressButton (modal, TRANS ("BUT_CANCEL")); });
        chooseSubDirectory ("Choose", root.getFullPathName(), root.getFullPathName());
        root.deleteRecursively();

        EXPECT_EQ (driver.getNumPending(), 0);
        TestEnvironment::runFor (100);

        for (auto& window : shown)
        {
            SCOPED_TRACE (window.name.toStdString());
            ASSERT_NE (window.nativeWindow, 0u);

            auto history = other.getHistory (window.nativeWindow);
            EXPECT_TRUE (history.created);
            EXPECT_TRUE (history.mapped);
            EXPECT_FALSE (history.boundsBeforeMapping.empty()) << "mapped before it was given its size";

            auto onlyItsOwn = [&] (const std::vector<juce::Rectangle<int>>& seen)
            {
                return std::all_of (seen.begin(), seen.end(), [&] (auto r)
                                    { return r == window.bounds; });
            };

            EXPECT_TRUE (onlyItsOwn (history.boundsBeforeMapping))
                << "shown at " << window.bounds.toString() << ", before its mapping " << describe (history.boundsBeforeMapping);
            EXPECT_TRUE (onlyItsOwn (history.boundsFromMapping))
                << "shown at " << window.bounds.toString() << ", from its mapping " << describe (history.boundsFromMapping);
        }
    }

    EXPECT_EQ (shown.size(), 5u);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}
