#include "support/ModalDriver.h"

#include "support/TestEnvironment.h"

namespace
{
template <typename Predicate>
juce::Button* findButtonWhere (juce::Component& root, Predicate&& predicate)
{
    for (auto* child : root.getChildren())
    {
        if (auto* button = dynamic_cast<juce::Button*> (child))
            if (button->isShowing() && predicate (*button))
                return button;

        if (auto* found = findButtonWhere (*child, predicate))
            return found;
    }

    return nullptr;
}

void collectButtonTexts (juce::Component& root, juce::StringArray& texts)
{
    for (auto* child : root.getChildren())
    {
        if (auto* button = dynamic_cast<juce::Button*> (child))
            texts.add (button->getButtonText());

        collectButtonTexts (*child, texts);
    }
}
} // namespace

ModalDriver::ModalDriver()
{
    startTimer (20);
}

ModalDriver::~ModalDriver()
{
    stopTimer();
}

void ModalDriver::whenModalAppears (Action action, Matcher matcher)
{
    actions.emplace_back (std::move (action), std::move (matcher));
}

void ModalDriver::pressWhenModalAppears (const juce::String& buttonText)
{
    auto hasButton = [buttonText] (juce::Component& modal)
    { return findButton (modal, buttonText) != nullptr; };

    whenModalAppears ([this, buttonText] (juce::Component& modal)
                      {
                          seenTitles.add (getTitle (modal));
                          seenMessages.add (getMessage (modal));
                          pressButton (modal, buttonText); },
                      hasButton);
}

juce::Component* ModalDriver::getCurrentModal()
{
    return juce::Component::getCurrentlyModalComponent();
}

juce::Button* ModalDriver::findButton (juce::Component& root, const juce::String& text)
{
    return findButtonWhere (root, [&] (juce::Button& b)
                            { return b.getButtonText() == text; });
}

juce::Button* ModalDriver::findButtonReturning (juce::Component& root, int returnValue)
{
    return findButtonWhere (root, [&] (juce::Button& b)
                            { return b.getCommandID() == returnValue; });
}

bool ModalDriver::pressButton (juce::Component& root, const juce::String& text)
{
    if (auto* button = findButton (root, text))
    {
        button->triggerClick();
        return true;
    }

    return false;
}

juce::StringArray ModalDriver::getButtonTexts (juce::Component& root)
{
    juce::StringArray texts;
    collectButtonTexts (root, texts);
    return texts;
}

juce::String ModalDriver::getTitle (juce::Component& modal)
{
    return modal.getName();
}

juce::String ModalDriver::getMessage (juce::Component& modal)
{
    // An alert window keeps "title. message" as its accessible description.
    auto description = modal.getDescription();
    auto prefix = modal.getName() + ". ";

    return description.startsWith (prefix) ? description.substring (prefix.length()) : description;
}

juce::ProgressBar* ModalDriver::findProgressBar (juce::Component& window)
{
    for (auto* child : window.getChildren())
        if (auto* bar = dynamic_cast<juce::ProgressBar*> (child))
            return bar;

    return nullptr;
}

double ModalDriver::getProgressValue (juce::ProgressBar& bar)
{
    auto* handler = bar.getAccessibilityHandler();
    auto* value = handler != nullptr ? handler->getValueInterface() : nullptr;
    return value != nullptr ? value->getCurrentValue() : -1.0;
}

void ModalDriver::timerCallback()
{
    if (actions.empty())
        return;

    auto* modal = getCurrentModal();

    if (modal == nullptr || modal == lastActedOn.getComponent() || ! modal->isShowing())
        return;

    auto& matcher = actions.front().second;

    if (matcher != nullptr && ! matcher (*modal))
        return;

    lastActedOn = modal;
    auto action = std::move (actions.front().first);
    actions.pop_front();
    action (*modal);
}

juce::StringArray ModalDriver::getSeenAlerts() const
{
    juce::StringArray alerts;

    for (int i = 0; i < seenTitles.size(); ++i)
        alerts.add (seenTitles[i] + " / " + seenMessages[i]);

    return alerts;
}

bool ModalDriver::clickAndWait (juce::Button& button, int timeoutMs)
{
    // Called after the listeners, so once the click's whole handling is over.
    bool clicked = false;
    auto previous = button.onClick;
    button.onClick = [&clicked]
    { clicked = true; };
    button.triggerClick();

    auto handled = TestEnvironment::runUntil ([&clicked]
                                              { return clicked; },
                                              timeoutMs);
    button.onClick = previous;
    return handled;
}
