#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/RoundTextEditor.h"

// The login page: e-mail and password, the remembered-login toggle, the way to the
// forgotten-password page and the bar's back and quit buttons.
class LoginComponent final : public juce::Component,
                             public juce::Button::Listener,
                             public ScreenCodeBroadcaster
{
public:
    LoginComponent();
    ~LoginComponent() override;

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;
    void buttonClicked (juce::Button* button) override;

    //==============================================================================
    RoundTextEditor& getEmailEditor() noexcept { return *username; }
    RoundTextEditor& getPasswordEditor() noexcept { return *password; }
    juce::ToggleButton& getRememberToggle() noexcept { return *autologinToggle; }
    juce::Button& getLoginButton() noexcept { return *loginButton; }
    juce::Button& getForgottenPasswordButton() noexcept { return *passwordForgottenButton; }
    BulkButtonBar& getButtonBar() noexcept { return buttonBar; }

private:
    void readRememberedLogin();
    void logIn();

    //==============================================================================
    std::unique_ptr<juce::Label> usernamelLabel;
    std::unique_ptr<juce::Label> passwordLabel;
    std::unique_ptr<RoundTextEditor> username;
    std::unique_ptr<RoundTextEditor> password;
    std::unique_ptr<juce::TextButton> passwordForgottenButton;
    std::unique_ptr<juce::TextButton> loginButton;
    std::unique_ptr<juce::ToggleButton> autologinToggle;
    BulkButtonBar buttonBar;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LoginComponent)
};
