#include "ui/widgets/ModalWindowStacking.h"

JUCE_IMPLEMENT_SINGLETON (ModalWindowStacking)

ModalWindowStacking::ModalWindowStacking() = default;

ModalWindowStacking::~ModalWindowStacking()
{
    for (auto* window : watched)
        window->removeComponentListener (this);

    clearSingletonInstance();
}

void ModalWindowStacking::watch (juce::Component& window)
{
    JUCE_ASSERT_MESSAGE_MANAGER_IS_LOCKED

    auto& stacking = *getInstance();

    if (stacking.watched.addIfNotAlreadyThere (&window))
        window.addComponentListener (&stacking);
}

void ModalWindowStacking::componentBroughtToFront (juce::Component&)
{
    // Our own raise below comes back here.
    if (! raising)
        triggerAsyncUpdate();
}

void ModalWindowStacking::componentVisibilityChanged (juce::Component&)
{
    triggerAsyncUpdate();
}

void ModalWindowStacking::componentBeingDeleted (juce::Component& component)
{
    component.removeComponentListener (this);
    watched.removeFirstMatchingValue (&component);
    triggerAsyncUpdate();
}

void ModalWindowStacking::handleAsyncUpdate()
{
    auto& modalManager = *juce::ModalComponentManager::getInstance();
    juce::Array<juce::ComponentPeer*> modalWindows;

    for (int i = 0; i < modalManager.getNumModalComponents(); ++i)
        if (auto* modal = modalManager.getModalComponent (i))
            if (auto* peer = modal->getPeer())
                modalWindows.addIfNotAlreadyThere (peer);

    // One modal window alone is raised without any restack.
    if (modalWindows.size() < 2)
        return;

    auto& top = modalWindows.getFirst()->getComponent();

    if (! top.isShowing())
        return;

    const juce::ScopedValueSetter<bool> raisingNow (raising, true);
    top.toFront (false);
}
