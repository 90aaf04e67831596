#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "support/OtherXClient.h"

namespace
{
::Display* asDisplay (void* display)
{
    return static_cast<::Display*> (display);
}

// The framework loads the X library when it opens its own connection.
juce::X11Symbols& x()
{
    juce::XWindowSystem::getInstance();
    return *juce::X11Symbols::getInstance();
}
} // namespace

OtherXClient::OtherXClient()
    : display (x().xOpenDisplay (nullptr))
{
}

OtherXClient::~OtherXClient()
{
    if (display != nullptr)
        x().xCloseDisplay (asDisplay (display));
}

void OtherXClient::watchTopLevelWindows()
{
    auto* d = asDisplay (display);
    x().xSelectInput (d, x().xDefaultRootWindow (d), SubstructureNotifyMask);
    x().xSync (d, False);
}

void OtherXClient::readEvents()
{
    auto* d = asDisplay (display);
    x().xSync (d, False);

    while (x().xPending (d) > 0)
    {
        XEvent event;
        x().xNextEvent (d, &event);

        if (event.type == CreateNotify)
            events.push_back ({ event.xcreatewindow.window, CreateNotify, { event.xcreatewindow.x, event.xcreatewindow.y, event.xcreatewindow.width, event.xcreatewindow.height } });
        else if (event.type == ConfigureNotify)
            events.push_back ({ event.xconfigure.window, ConfigureNotify, { event.xconfigure.x, event.xconfigure.y, event.xconfigure.width, event.xconfigure.height } });
        else if (event.type == MapNotify)
            events.push_back ({ event.xmap.window, MapNotify, {} });
    }
}

OtherXClient::WindowHistory OtherXClient::getHistory (unsigned long nativeWindow)
{
    // What the framework asked for is done by the server before it answers this round trip.
    syncFrameworkConnection();
    readEvents();

    WindowHistory history;

    for (auto& event : events)
    {
        if (event.window != nativeWindow)
            continue;

        if (event.type == CreateNotify)
            history.created = true;
        else if (event.type == MapNotify)
            history.mapped = true;
        else if (history.mapped)
            history.boundsFromMapping.push_back (event.bounds);
        else
            history.boundsBeforeMapping.push_back (event.bounds);
    }

    return history;
}

unsigned long OtherXClient::getNativeWindow (juce::Component& component)
{
    if (auto* peer = component.getPeer())
        return (unsigned long) (::Window) peer->getNativeHandle();

    return 0;
}

void OtherXClient::sendClick (juce::Component& component, juce::Point<int> localPoint)
{
    auto* peer = component.getPeer();
    jassert (peer != nullptr);

    auto* d = asDisplay (display);
    const auto window = (::Window) peer->getNativeHandle();
    const auto inWindow = peer->getComponent().getLocalPoint (&component, localPoint);
    const auto onScreen = component.localPointToGlobal (localPoint);

    XEvent event{};
    auto& button = event.xbutton;
    button.display = d;
    button.window = window;
    button.root = x().xDefaultRootWindow (d);
    button.subwindow = None;
    button.x = inWindow.x;
    button.y = inWindow.y;
    button.x_root = onScreen.x;
    button.y_root = onScreen.y;
    button.button = Button1;
    button.same_screen = True;

    button.type = ButtonPress;
    button.time = clickTime++;
    button.state = 0;
    x().xSendEvent (d, window, False, ButtonPressMask, &event);

    button.type = ButtonRelease;
    button.time = clickTime++;
    button.state = Button1Mask;
    x().xSendEvent (d, window, False, ButtonReleaseMask, &event);

    // Once the server has answered, it has queued the click for the framework's connection.
    x().xSync (d, False);
}

void OtherXClient::syncFrameworkConnection()
{
    JUCE_ASSERT_MESSAGE_MANAGER_IS_LOCKED

    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    juce::XWindowSystemUtilities::ScopedXLock lock;
    x().xSync (display, False);
}

int OtherXClient::getFrameworkQueueLength()
{
    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    juce::XWindowSystemUtilities::ScopedXLock lock;
    return x().xEventsQueued (display, QueuedAlready);
}
