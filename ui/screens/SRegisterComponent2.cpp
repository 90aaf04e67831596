#include "ui/screens/SRegisterComponent2.h"

#include "catalogue/ReplyEnvelope.h"
#include "catalogue/ServerRequest.h"
#include "services/InfoAlert.h"
#include "ui/screens/RegistrationForm.h"
#include "ui/screens/ScreenCode.h"

SRegisterComponent2::SRegisterComponent2()
{
    firstnameLabel = RegistrationForm::addCaption (*this, "firstnameLabel", "LAB_FIRST_NAME");
    surnameLabel = RegistrationForm::addCaption (*this, "surnameLabel", "LAB_LAST_NAME");
    companyLabel = RegistrationForm::addCaption (*this, "companyLabel", "LAB_COMPANY_OPTIONAL");
    addressLabel = RegistrationForm::addCaption (*this, "addressLabel", "LAB_ADDRESS");

    firstname = RegistrationForm::addEditor (*this, "firstname");
    surname = RegistrationForm::addEditor (*this, "surname");
    company = RegistrationForm::addEditor (*this, "company");
    address1 = RegistrationForm::addEditor (*this, "address1");
    address2 = RegistrationForm::addEditor (*this, "address2");
    address3 = RegistrationForm::addEditor (*this, "address3");
    postcode = RegistrationForm::addEditor (*this, "postcode");

    const std::pair<RoundTextEditor*, const char*> hints[] = {
        { address1.get(), "LAB_STREET" },
        { address2.get(), "LAB_CITY" },
        { address3.get(), "LAB_STATE" },
        { postcode.get(), "LAB_ZIP" },
    };

    for (auto& [editor, key] : hints)
        editor->setTextToShowWhenEmpty (juce::translate (key), hintTextColour);

    countries = std::make_unique<RoundComboBox> ("countries");
    addAndMakeVisible (*countries);
    countries->setEditableText (false);

    for (int slot = 0; slot < countryTableSize && countryTable[slot].isNotEmpty(); ++slot)
        countries->addItem (countryTable[slot], slot + 1);

    countries->setSelectedItemIndex (0, juce::dontSendNotification);

    bar.createButtons (this, this);
    bar.setButtonStates (1, 1, 2, 2, 2, 2);

    setSize (600, 400);

    int focusOrder = 0;

    for (auto* editor : { firstname.get(), surname.get(), company.get(), address1.get(), address2.get(), address3.get(), postcode.get() })
    {
        editor->setOpaque (false);
        editor->setExplicitFocusOrder (++focusOrder);
    }

    countries->setExplicitFocusOrder (8);
    bar.getButton (1)->setExplicitFocusOrder (9);
    bar.getButton (0)->setExplicitFocusOrder (10);
}

SRegisterComponent2::~SRegisterComponent2()
{
    bar.deleteButtons();
}

//==============================================================================
void SRegisterComponent2::resized()
{
    firstnameLabel->setBounds (106, 172, 250, 16);
    firstname->setBounds (107, 196, 250, 22);
    surnameLabel->setBounds (106, 230, 250, 16);
    surname->setBounds (107, 254, 250, 22);
    companyLabel->setBounds (106, 287, 250, 16);
    company->setBounds (107, 311, 250, 22);
    addressLabel->setBounds (425, 172, 250, 16);
    address1->setBounds (426, 196, 260, 22);
    address2->setBounds (426, 225, 260, 22);
    address3->setBounds (426, 254, 260, 22);
    postcode->setBounds (426, 283, 115, 22);
    countries->setBounds (428, 312, 167, 22);

    bar.layoutButtons();
}

void SRegisterComponent2::buttonClicked (juce::Button* button)
{
    RegistrationForm::actOnBarClick (*this, bar, button, backCode, [this]
                                     { submit(); });
}

juce::String SRegisterComponent2::buildPersonalPairs() const
{
    return RegistrationForm::makePair ("first_name", firstname->getText())
           + RegistrationForm::makePair ("last_name", surname->getText())
           + RegistrationForm::makePair ("company", company->getText())
           + RegistrationForm::makePair ("address_1", address1->getText())
           + RegistrationForm::makePair ("address_2", address2->getText())
           + RegistrationForm::makePair ("address_3", address3->getText())
           + RegistrationForm::makePair ("postcode", postcode->getText())
           + RegistrationForm::makePair ("country", RegistrationForm::getCountryValue (countries->getText()));
}

bool SRegisterComponent2::requestAddUserAccount()
{
    auto reply = ServerRequest ("ADD_USER_ACCOUNT").withEncodedParameters (registrationPairs).readXml();
    return ReplyEnvelope::check (reply.get()) == ReplyEnvelope::Outcome::ok;
}

void SRegisterComponent2::submit()
{
    registrationPairs = accountPairs + buildPersonalPairs();
    const juce::Component::SafePointer<SRegisterComponent2> page (this);

    if (! RegistrationForm::checkWithServer ("REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS", registrationPairs, "MSG_REGISTRATION_ERRORS")
        || page == nullptr)
        return;

    if (! requestAddUserAccount())
    {
        InfoAlert::show ("MSG_REGISTRATION_FAILED", "MSG_REGISTRATION_FAILED_TEXT");
        return;
    }

    InfoAlert::show ("MSG_REGISTRATION_SUCCESSFULL", "MSG_REGISTRATION_SUCCESSFULL_TEXT");

    if (page != nullptr)
        sendScreenCode (ScreenCode::welcome);
}
