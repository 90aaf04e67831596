#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/RoundComboBox.h"
#include "ui/widgets/RoundTextEditor.h"

// Registration page 2: name, company, postal address and country. Next has the server check them
// together with page 1's accepted pairs, then creates the account and returns to the welcome page.
class SRegisterComponent2 final : public juce::Component,
                                  public juce::Button::Listener,
                                  public ScreenCodeBroadcaster
{
public:
    SRegisterComponent2();
    ~SRegisterComponent2() override;

    //==============================================================================
    void paint (juce::Graphics&) override {}
    void resized() override;
    void buttonClicked (juce::Button* button) override;

    //==============================================================================
    // Page 1's pairs, as the server accepted them; replaced at each acceptance.
    void setAccountPairs (const juce::String& pairs) { accountPairs = pairs; }
    const juce::String& getAccountPairs() const noexcept { return accountPairs; }

    // The pairs of the last submit: the account pairs, then this page's own.
    const juce::String& getRegistrationPairs() const noexcept { return registrationPairs; }

    // The code the back button sends.
    void setBackCode (int code) noexcept { backCode = code; }
    int getBackCode() const noexcept { return backCode; }

    // "&first_name=" ... "&country=" with the escaped entries.
    juce::String buildPersonalPairs() const;

    // Sends "ADD_USER_ACCOUNT" with the registration pairs; true only when the account was made.
    bool requestAddUserAccount();

    BulkButtonBar& getBar() noexcept { return bar; }

private:
    void submit();

    juce::String accountPairs;
    std::unique_ptr<juce::Label> firstnameLabel;
    std::unique_ptr<RoundTextEditor> firstname;
    std::unique_ptr<juce::Label> surnameLabel;
    std::unique_ptr<RoundTextEditor> surname;
    std::unique_ptr<juce::Label> companyLabel;
    std::unique_ptr<RoundTextEditor> company;
    std::unique_ptr<juce::Label> addressLabel;
    std::unique_ptr<RoundTextEditor> address1;
    std::unique_ptr<RoundTextEditor> address2;
    std::unique_ptr<RoundTextEditor> address3;
    std::unique_ptr<RoundTextEditor> postcode;
    std::unique_ptr<RoundComboBox> countries;
    juce::String registrationPairs;
    BulkButtonBar bar;
    int backCode = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SRegisterComponent2)
};
