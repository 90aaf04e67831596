#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The update check, the first screen of every run: asks the server for the latest version of the
// manager, offers or demands a newer one and installs it through the self-update task, then moves
// on to the welcome page, or to the offline page with the offline catalogue when the server gives
// no usable answer. It draws nothing of its own.
class AutoUpdateComponent final : public juce::Component,
                                  public juce::Button::Listener,
                                  public ScreenCodeBroadcaster
{
public:
    AutoUpdateComponent();
    ~AutoUpdateComponent() override;

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;

    void buttonClicked (juce::Button*) override;

    //==============================================================================
    // Asks the main component for the update check.
    void start();

    // Runs one check on the message thread; sends exactly one screen code.
    void checkForUpdate();

    //==============================================================================
    // Ends the program; ProgramQuit by default.
    std::function<void()> quitProgram;

    // Starts the hand-over after a whole download; empty: the real one.
    std::function<void()> launchHandOver;

private:
    void installUpdate (const juce::String& macPath, float version);
    void showOfflineCatalogue();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AutoUpdateComponent)
};
