#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <deque>
#include <functional>

// Acts on modal windows from inside their modal loops: each queued action runs once on the next
// modal component that appears (an alert, a task window, a dialog).
class ModalDriver final : private juce::Timer
{
public:
    using Action = std::function<void (juce::Component& modal)>;
    using Matcher = std::function<bool (juce::Component& modal)>;

    ModalDriver();
    ~ModalDriver() override;

    // Runs the action on the next modal component the matcher accepts (any, without one); modal
    // components it does not accept are left alone.
    void whenModalAppears (Action action, Matcher matcher = {});

    // Queues a press of the button with this text on the next modal window that has one, after
    // noting its title and message.
    void pressWhenModalAppears (const juce::String& buttonText);

    int getNumPending() const noexcept { return (int) actions.size(); }

    // What was seen of the modal windows acted on, in order.
    juce::StringArray seenTitles, seenMessages;

    // The same as "title / message", one per window.
    juce::StringArray getSeenAlerts() const;

    // Clicks the button and runs the message loop until its click has been handled (modal loops
    // it opens included); false when that takes longer than the time given.
    static bool clickAndWait (juce::Button& button, int timeoutMs = 60000);

    //==============================================================================
    static juce::Component* getCurrentModal();

    // Finds a showing button by its text, or by the value it returns from a modal loop.
    static juce::Button* findButton (juce::Component& root, const juce::String& text);
    static juce::Button* findButtonReturning (juce::Component& root, int returnValue);

    static bool pressButton (juce::Component& root, const juce::String& text);
    static juce::StringArray getButtonTexts (juce::Component& root);

    static juce::String getTitle (juce::Component& modal);
    static juce::String getMessage (juce::Component& modal);

    // A task window's progress bar, and the value it shows (-1 when it offers none).
    static juce::ProgressBar* findProgressBar (juce::Component& window);
    static double getProgressValue (juce::ProgressBar& bar);

private:
    void timerCallback() override;

    std::deque<std::pair<Action, Matcher>> actions;
    juce::Component::SafePointer<juce::Component> lastActedOn;
};
