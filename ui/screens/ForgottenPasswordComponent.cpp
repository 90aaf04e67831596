#include "ui/screens/ForgottenPasswordComponent.h"

#include "catalogue/ServerRequest.h"
#include "services/InfoAlert.h"
#include "ui/screens/BackAndQuit.h"
#include "ui/screens/FormEditor.h"
#include "ui/screens/ScreenCode.h"

ForgottenPasswordComponent::ForgottenPasswordComponent()
    : juce::Component ("ForgottenPasswordComponent")
{
    forgottenPasswordLabel = std::make_unique<juce::Label> ("forgottenPasswordLabel", TRANS ("TXT_RESET_PASSWORD_DESC") + "\n");
    forgottenPasswordLabel->setFont (juce::Font (15.0f, juce::Font::plain));
    forgottenPasswordLabel->setJustificationType (juce::Justification::horizontallyCentred);
    forgottenPasswordLabel->setEditable (false, false, false);
    addAndMakeVisible (*forgottenPasswordLabel);

    emailEditor = std::make_unique<RoundTextEditor> (TRANS ("LAB_EMAIL"));
    FormEditor::configure (*emailEditor);
    addAndMakeVisible (*emailEditor);

    requestButton = std::make_unique<juce::TextButton> ("requestButton");
    requestButton->setButtonText (TRANS ("BUT_RESET_PASSWORD"));
    requestButton->addListener (this);
    addAndMakeVisible (*requestButton);

    emailLabel = std::make_unique<juce::Label> ("emailLabel", TRANS ("LAB_EMAIL"));
    emailLabel->setJustificationType (juce::Justification::centredRight);
    emailLabel->setEditable (false, false, false);
    addAndMakeVisible (*emailLabel);

    buttonBar.createButtons (this, this);
    buttonBar.setButtonStates (1, 2, 1, 2, 2, 2);

    setSize (600, 400);
    setAlwaysOnTop (true);
    setOpaque (false);
}

ForgottenPasswordComponent::~ForgottenPasswordComponent()
{
    buttonBar.deleteButtons();
}

//==============================================================================
void ForgottenPasswordComponent::paint (juce::Graphics&)
{
}

void ForgottenPasswordComponent::resized()
{
    forgottenPasswordLabel->setBounds (150, 150, 450, 56);
    emailLabel->setBounds (150, forgottenPasswordLabel->getHeight() + 172, 150, 24);
    emailEditor->setBounds (emailLabel->getRight() + 22, 228, 300, 24);
    requestButton->setBounds (emailEditor->getX(), emailEditor->getBottom() + 22, 150, 24);
    buttonBar.layoutButtons();
}

void ForgottenPasswordComponent::buttonClicked (juce::Button* button)
{
    if (button == requestButton.get())
    {
        requestReset();
        return;
    }

    BackAndQuit::handleBarButton (*this, buttonBar, button, ScreenCode::askServer);
}

void ForgottenPasswordComponent::requestReset()
{
    // The reply is not examined; only whether one came at all.
    bool replied = false;
    ServerRequest ("RESET_PASSWORD").withParameter ("email", emailEditor->getText()).postAndReadText (&replied);

    if (replied)
        InfoAlert::show ("BUT_RESET_PASSWORD", "MSG_PASSWORD_RESET");
    else
        InfoAlert::show ("MSG_COMMUNICATION_ERROR", "MSG_COMMUNICATION_ERROR_TEXT");

    exitModalState (0);
}
