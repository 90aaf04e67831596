#include "ui/widgets/DeferredNativeWindow.h"

JUCE_IMPLEMENT_SINGLETON (DeferredNativeWindow)

DeferredNativeWindow::DeferredNativeWindow() = default;

DeferredNativeWindow::~DeferredNativeWindow()
{
    for (auto* window : watched)
        window->removeComponentListener (this);

    clearSingletonInstance();
}

void DeferredNativeWindow::deferUntilShown (juce::TopLevelWindow& window)
{
    JUCE_ASSERT_MESSAGE_MANAGER_IS_LOCKED

    if (window.isVisible())
        return;

    auto& deferral = *getInstance();

    if (! deferral.watched.addIfNotAlreadyThere (&window))
        return;

    window.removeFromDesktop();
    window.addComponentListener (&deferral);
}

void DeferredNativeWindow::componentVisibilityChanged (juce::Component& component)
{
    if (! component.isVisible())
        return;

    stopWatching (component);

    if (component.isOnDesktop())
        return;

    if (auto* window = dynamic_cast<juce::TopLevelWindow*> (&component))
    {
        // The framework brings a window that is shown to the front, but found no native window
        // to do it with yet.
        window->addToDesktop();
        window->toFront (true);
    }
}

void DeferredNativeWindow::componentBeingDeleted (juce::Component& component)
{
    stopWatching (component);
}

void DeferredNativeWindow::stopWatching (juce::Component& component)
{
    component.removeComponentListener (this);
    watched.removeFirstMatchingValue (&component);
}
