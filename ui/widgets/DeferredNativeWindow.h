#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Gives a top-level window that the framework put on the desktop in its constructor (an alert
// window) its native window only when it is first shown, once its size, place and content are
// set. A window manager that is slow to apply changes would otherwise show the native window at a
// size and place it had while it was being built.
class DeferredNativeWindow final : private juce::ComponentListener,
                                   private juce::DeletedAtShutdown
{
public:
    ~DeferredNativeWindow() override;

    // Takes a window that is not showing off the desktop until it is made visible.
    static void deferUntilShown (juce::TopLevelWindow& window);

    JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (DeferredNativeWindow)

private:
    DeferredNativeWindow();

    void componentVisibilityChanged (juce::Component& component) override;
    void componentBeingDeleted (juce::Component& component) override;

    void stopWatching (juce::Component& component);

    juce::Array<juce::Component*> watched;

    JUCE_DECLARE_NON_COPYABLE (DeferredNativeWindow)
};
