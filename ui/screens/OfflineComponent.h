#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"

#include <juce_gui_basics/juce_gui_basics.h>

// Shown when the server cannot be reached at start: retry, or continue with the offline
// repository when there is one.
class OfflineComponent final : public juce::Component,
                               public juce::Button::Listener,
                               public ScreenCodeBroadcaster
{
public:
    OfflineComponent();
    ~OfflineComponent() override;

    // Chooses the explanation and whether continuing offline is offered, from the catalogue.
    void updateExplanation();

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;
    void buttonClicked (juce::Button* button) override;

    //==============================================================================
    juce::Label& getExplanationLabel() noexcept { return *explanationTextLabel; }
    juce::Button& getRetryButton() noexcept { return *retryButton; }
    juce::Button& getContinueButton() noexcept { return *continueOfflineButton; }

private:
    std::unique_ptr<juce::Label> explanationTextLabel;
    std::unique_ptr<juce::TextButton> retryButton;
    std::unique_ptr<juce::TextButton> continueOfflineButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OfflineComponent)
};
