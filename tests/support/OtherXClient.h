#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

// A connection of the test's own to the X server the framework uses, acting as another program on
// the same desktop would: it watches the top-level windows as a window manager sees them, and
// sends input to a window.
class OtherXClient final
{
public:
    OtherXClient();
    ~OtherXClient();

    bool isConnected() const noexcept { return display != nullptr; }

    // From now on, notes every size and mapping of every top-level window of the display.
    void watchTopLevelWindows();

    // What the server did with one native window from its creation on, as far as seen so far.
    struct WindowHistory
    {
        bool created = false;
        bool mapped = false;
        std::vector<juce::Rectangle<int>> boundsBeforeMapping, boundsFromMapping;
    };

    WindowHistory getHistory (unsigned long nativeWindow);

    // The native window of a component's peer, 0 without one.
    static unsigned long getNativeWindow (juce::Component& component);

    // A left click at a point of the component, sent to its native window as the server would send
    // it (press and release); returns once the server has passed it on.
    void sendClick (juce::Component& component, juce::Point<int> localPoint);

    // One round trip on the framework's own connection from the message thread, as its repaints
    // and pointer queries make: whatever waits on its socket moves into the X library's queue.
    static void syncFrameworkConnection();

    // Events the X library of the framework's connection holds but nobody has handled.
    static int getFrameworkQueueLength();

private:
    struct Event
    {
        unsigned long window;
        int type;
        juce::Rectangle<int> bounds;
    };

    void readEvents();

    void* display = nullptr;
    std::vector<Event> events;
    unsigned long clickTime = 1;

    JUCE_DECLARE_NON_COPYABLE (OtherXClient)
};
