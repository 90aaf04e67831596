#include "ui/screens/SRegisterComponent.h"

#include "ui/screens/RegistrationForm.h"
#include "ui/screens/SRegisterComponent2.h"
#include "ui/screens/ScreenCode.h"

SRegisterComponent::SRegisterComponent()
{
    emailLabel = RegistrationForm::addCaption (*this, "emailLabel", "LAB_EMAIL");
    email = RegistrationForm::addEditor (*this, "email");
    emailConfLabel = RegistrationForm::addCaption (*this, "emailConfLabel", "LAB_CONFIRM_EMAIL");
    emailConf = RegistrationForm::addEditor (*this, "emailConf");
    passwordLabel = RegistrationForm::addCaption (*this, "passwordLabel", "LAB_PASSWORD");
    password = RegistrationForm::addEditor (*this, "password");
    password->setPasswordCharacter ((juce::juce_wchar) '*');
    passwordConfLabel = RegistrationForm::addCaption (*this, "passwordConfLabel", "LAB_CONFIRM_PASSWORD");
    passwordConf = RegistrationForm::addEditor (*this, "passwordConf");
    passwordConf->setPasswordCharacter ((juce::juce_wchar) '*');

    bar.createButtons (this, this);
    bar.setButtonStates (1, 1, 2, 2, 2, 2);

    email->setExplicitFocusOrder (1);
    emailConf->setExplicitFocusOrder (2);
    password->setExplicitFocusOrder (3);
    passwordConf->setExplicitFocusOrder (4);
    bar.getButton (1)->setExplicitFocusOrder (5);
    bar.getButton (0)->setExplicitFocusOrder (6);

    setSize (600, 400);

    for (auto* editor : { email.get(), emailConf.get(), password.get(), passwordConf.get() })
        editor->setOpaque (false);
}

SRegisterComponent::~SRegisterComponent()
{
    bar.deleteButtons();
}

//==============================================================================
void SRegisterComponent::resized()
{
    emailLabel->setBounds (106, 165, 250, 16);
    email->setBounds (107, 189, 250, 22);
    emailConfLabel->setBounds (106, 225, 250, 16);
    emailConf->setBounds (107, 249, 250, 22);
    passwordLabel->setBounds (106, 296, 250, 16);
    password->setBounds (107, 320, 250, 22);
    passwordConfLabel->setBounds (106, 356, 250, 16);
    passwordConf->setBounds (107, 380, 250, 22);

    bar.layoutButtons();
}

void SRegisterComponent::buttonClicked (juce::Button* button)
{
    RegistrationForm::actOnBarClick (*this, bar, button, cancelCode, [this]
                                     { submit(); });
}

juce::String SRegisterComponent::buildAccountPairs() const
{
    return RegistrationForm::makePair ("email", email->getText())
           + RegistrationForm::makePair ("emailconf", emailConf->getText())
           + RegistrationForm::makePair ("password", password->getText())
           + RegistrationForm::makePair ("passwordconf", passwordConf->getText());
}

void SRegisterComponent::submit()
{
    const auto accountPairs = buildAccountPairs();
    const juce::Component::SafePointer<SRegisterComponent> page (this);

    if (! RegistrationForm::checkWithServer ("REGISTER_VERIFY_ACCOUNT_DETAILS", accountPairs, "LAB_REGISTRATION_ERRORS")
        || page == nullptr)
        return;

    if (personalDetailsPage != nullptr)
        personalDetailsPage->setAccountPairs (accountPairs);

    sendScreenCode (ScreenCode::registrationPage2);
}
