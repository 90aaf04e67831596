#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "platform/XEventQueueWaker.h"

#include <juce_gui_basics/juce_gui_basics.h>

#if JUCE_LINUX || JUCE_BSD
namespace
{
::Display* getFrameworkDisplay()
{
    if (auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating())
        return windowSystem->getDisplay();

    return nullptr;
}
} // namespace
#endif

XEventQueueWaker::XEventQueueWaker() = default;

XEventQueueWaker::~XEventQueueWaker()
{
    stop();
}

void XEventQueueWaker::start()
{
    JUCE_ASSERT_MESSAGE_MANAGER_IS_LOCKED

#if JUCE_LINUX || JUCE_BSD
    if (isRunning())
        return;

    auto* display = getFrameworkDisplay();

    if (display == nullptr)
        return;

    auto* x = juce::X11Symbols::getInstance();

    {
        juce::XWindowSystemUtilities::ScopedXLock lock;

        // Never mapped and selecting no input: only the messages we send ourselves reach it, and
        // the framework drops them, as it does any event for a window that is not one of its own.
        XSetWindowAttributes attributes{};
        ownWindow = x->xCreateWindow (display, x->xDefaultRootWindow (display), -1, -1, 1, 1, 0, 0,
                                      InputOnly, nullptr, 0, &attributes);
        x->xFlush (display);
    }

    if (isRunning())
        startTimer (checkIntervalMs);
#endif
}

void XEventQueueWaker::stop()
{
    stopTimer();

#if JUCE_LINUX || JUCE_BSD
    if (! isRunning())
        return;

    JUCE_ASSERT_MESSAGE_MANAGER_IS_LOCKED

    if (auto* display = getFrameworkDisplay())
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;
        juce::X11Symbols::getInstance()->xDestroyWindow (display, (::Window) ownWindow);
        juce::X11Symbols::getInstance()->xFlush (display);
    }

    ownWindow = 0;
#endif
}

void XEventQueueWaker::timerCallback()
{
#if JUCE_LINUX || JUCE_BSD
    auto* display = getFrameworkDisplay();

    if (display == nullptr)
        return;

    auto* x = juce::X11Symbols::getInstance();
    juce::XWindowSystemUtilities::ScopedXLock lock;

    if (x->xEventsQueued (display, QueuedAlready) == 0)
        return;

    XClientMessageEvent wake{};
    wake.type = ClientMessage;
    wake.display = display;
    wake.window = (::Window) ownWindow;
    wake.message_type = None;
    wake.format = 32;

    x->xSendEvent (display, (::Window) ownWindow, False, NoEventMask, (XEvent*) &wake);
    x->xFlush (display);
#endif
}
