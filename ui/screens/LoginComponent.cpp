#include "ui/screens/LoginComponent.h"

#include "services/LoginState.h"
#include "services/RememberedLogin.h"
#include "services/SettingsFiles.h"
#include "tasks/ConnectionThread.h"
#include "tasks/LoginThread.h"
#include "ui/screens/BackAndQuit.h"
#include "ui/screens/FormEditor.h"
#include "ui/screens/ScreenCode.h"
#include "ui/widgets/ProgramFonts.h"

namespace
{
std::unique_ptr<juce::Label> makeFieldLabel (const juce::String& name, const juce::String& key)
{
    auto label = std::make_unique<juce::Label> (name, TRANS (key));
    label->setFont (ProgramFonts::getFont ("Arial", 20.0f, juce::Font::plain));
    label->setJustificationType (juce::Justification::centredLeft);
    label->setEditable (false, false, false);
    return label;
}
} // namespace

LoginComponent::LoginComponent()
    : juce::Component ("LoginComponent")
{
    usernamelLabel = makeFieldLabel ("usernamelLabel", "LAB_EMAIL");
    addAndMakeVisible (*usernamelLabel);

    passwordLabel = makeFieldLabel ("passwordLabel", "LAB_PASSWORD");
    addAndMakeVisible (*passwordLabel);

    username = std::make_unique<RoundTextEditor> ("username");
    FormEditor::configure (*username);
    addAndMakeVisible (*username);

    password = std::make_unique<RoundTextEditor> ("password");
    FormEditor::configure (*password);
    password->setPasswordCharacter ((juce::juce_wchar) '*');
    addAndMakeVisible (*password);

    passwordForgottenButton = std::make_unique<juce::TextButton> ("passwordForgottenButton");
    passwordForgottenButton->setButtonText (TRANS ("LAB_FORGOTTEN_PASSWORD_MINIBUTTON"));
    passwordForgottenButton->setColour (juce::TextButton::buttonColourId, juce::Colours::transparentBlack);
    passwordForgottenButton->setColour (juce::TextButton::buttonOnColourId, juce::Colours::transparentBlack);
    passwordForgottenButton->setColour (juce::TextButton::textColourOffId, juce::Colour (0xff808080));
    passwordForgottenButton->setColour (juce::TextButton::textColourOnId, juce::Colour (0xff808080));
    passwordForgottenButton->addListener (this);
    addAndMakeVisible (*passwordForgottenButton);

    loginButton = std::make_unique<juce::TextButton> ("loginButton");
    loginButton->setButtonText (TRANS ("BUT_LOGIN"));
    loginButton->setTooltip (TRANS ("TT_LOGIN"));
    loginButton->addListener (this);
    addAndMakeVisible (*loginButton);

    autologinToggle = std::make_unique<juce::ToggleButton> ("autologinToggle");
    autologinToggle->setButtonText (TRANS ("BUT_REMEMBER_LOGIN"));
    autologinToggle->setColour (juce::ToggleButton::textColourId, juce::Colour (0xffffff00));
    autologinToggle->addListener (this);
    addAndMakeVisible (*autologinToggle);

    buttonBar.createButtons (this, this);
    buttonBar.setButtonStates (1, 2, 1, 2, 2, 2);

    username->setExplicitFocusOrder (1);
    password->setExplicitFocusOrder (2);
    loginButton->setExplicitFocusOrder (3);
    passwordForgottenButton->setExplicitFocusOrder (4);
    buttonBar.getButton (0)->setExplicitFocusOrder (5);
    buttonBar.getButton (2)->setExplicitFocusOrder (6);

    setSize (600, 400);
    readRememberedLogin();
}

LoginComponent::~LoginComponent()
{
    buttonBar.deleteButtons();
}

//==============================================================================
void LoginComponent::paint (juce::Graphics&)
{
}

void LoginComponent::resized()
{
    usernamelLabel->setBounds (47, 220, 180, 18);
    passwordLabel->setBounds (47, 280, 180, 18);
    autologinToggle->setBounds (47, 325, 184, 24);
    username->setBounds (50, 240, 300, 24);
    password->setBounds (50, 300, 300, 24);
    passwordForgottenButton->setBounds (password->getRight() - 130, 280, 130, 20);
    loginButton->setBounds (password->getRight() - 150, 370, 150, 35);
    buttonBar.layoutButtons();
}

void LoginComponent::buttonClicked (juce::Button* button)
{
    if (button == passwordForgottenButton.get())
    {
        sendScreenCode (ScreenCode::forgottenPassword);
        return;
    }

    if (button == loginButton.get())
    {
        logIn();
        return;
    }

    // The toggle's state is read at the next successful login.
    if (button == autologinToggle.get())
        return;

    BackAndQuit::handleBarButton (*this, buttonBar, button, ScreenCode::welcome);
}

//==============================================================================
void LoginComponent::readRememberedLogin()
{
    auto remembered = RememberedLogin::read();

    if (! remembered.has_value())
        return;

    username->setText (remembered->email, false);
    password->setText (remembered->password, false);
    autologinToggle->setToggleState (true, juce::dontSendNotification);
}

void LoginComponent::logIn()
{
    LoginThread task (username->getText(), password->getText());
    task.setStatusMessage (TRANS ("TXT_PLEASE_WAIT"));

    if (! task.login())
    {
        loggedIn = false;
        return;
    }

    currentUserEmail = username->getText();
    currentUserPassword = password->getText();

    SettingsFiles::createSettingsFolder();

    if (SettingsFiles::getSettingsFolder().isDirectory())
    {
        if (autologinToggle->getToggleState())
            RememberedLogin::write (username->getText(), password->getText());
        else
            RememberedLogin::getFile().deleteFile();
    }

    loggedIn = true;
    runConnectionWindow();
    sendScreenCode (ScreenCode::productStatus);
}
