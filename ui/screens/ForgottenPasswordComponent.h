#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/RoundTextEditor.h"

// Asks the server to reset the password of an account and e-mail the new one.
class ForgottenPasswordComponent final : public juce::Component,
                                         public juce::Button::Listener,
                                         public ScreenCodeBroadcaster
{
public:
    ForgottenPasswordComponent();
    ~ForgottenPasswordComponent() override;

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;
    void buttonClicked (juce::Button* button) override;

    //==============================================================================
    RoundTextEditor& getEmailEditor() noexcept { return *emailEditor; }
    juce::Button& getRequestButton() noexcept { return *requestButton; }
    BulkButtonBar& getButtonBar() noexcept { return buttonBar; }

private:
    // Sends the reset request on the message thread and tells the customer what became of it.
    void requestReset();

    std::unique_ptr<juce::Label> forgottenPasswordLabel;
    std::unique_ptr<RoundTextEditor> emailEditor;
    std::unique_ptr<juce::TextButton> requestButton;
    std::unique_ptr<juce::Label> emailLabel;
    BulkButtonBar buttonBar;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ForgottenPasswordComponent)
};
