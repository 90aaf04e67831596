#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Keeps the program's top modal window in front of its other windows.
//
// With two or more modal windows up (a box over a task window or over another box), the framework
// brings them forward by raising the top one and then putting each one beneath it "behind" the one
// above. On X11 that restack goes the wrong way round: the top window is asked to go below the next
// one, and a window manager such as openbox answers by lowering it beneath every other window. The
// box then holds the keyboard but cannot be seen. This happens when a box opens over another modal
// window, when a window beneath it takes the focus or is clicked, and when a box closes with two
// or more modal windows left.
//
// A watched window that is brought forward, hidden or deleted schedules a check on the message
// thread: with two or more modal windows up it raises the top one again, after the restack.
class ModalWindowStacking final : private juce::ComponentListener,
                                  private juce::AsyncUpdater,
                                  private juce::DeletedAtShutdown
{
public:
    ~ModalWindowStacking() override;

    // Watches a top-level window until it is deleted.
    static void watch (juce::Component& window);

    JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (ModalWindowStacking)

private:
    ModalWindowStacking();

    void componentBroughtToFront (juce::Component& component) override;
    void componentVisibilityChanged (juce::Component& component) override;
    void componentBeingDeleted (juce::Component& component) override;
    void handleAsyncUpdate() override;

    juce::Array<juce::Component*> watched;
    bool raising = false;

    JUCE_DECLARE_NON_COPYABLE (ModalWindowStacking)
};
