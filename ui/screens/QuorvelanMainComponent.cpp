#include "ui/screens/QuorvelanMainComponent.h"

#include "catalogue/ProductCatalogue.h"
#include "resources/ResourceArchive.h"
#include "services/LoginState.h"
#include "ui/screens/AutoUpdateComponent.h"
#include "ui/screens/ForgottenPasswordComponent.h"
#include "ui/screens/FrontPageComponent.h"
#include "ui/screens/LoginComponent.h"
#include "ui/screens/OfflineComponent.h"
#include "ui/screens/ProductStatusComponent.h"
#include "ui/screens/SRegisterComponent.h"
#include "ui/screens/SRegisterComponent2.h"
#include "ui/screens/ScreenCode.h"
#include "ui/screens/ScreenCodeBroadcaster.h"

namespace
{
const juce::Colour textColour (198, 253, 254);
}

QuorvelanMainComponent::QuorvelanMainComponent()
{
    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    lf.setColour (juce::Label::textColourId, textColour);
    lf.setColour (juce::ToggleButton::textColourId, textColour);
    lf.setColour (juce::Label::outlineColourId, juce::Colours::transparentWhite);
    lf.setColour (juce::AlertWindow::backgroundColourId, juce::Colours::black);
    lf.setColour (juce::AlertWindow::textColourId, textColour);
    lf.setColour (juce::ScrollBar::trackColourId, juce::Colours::white.withAlpha (0.5f));

    appLabel = std::make_unique<juce::Label> ("new label", TRANS ("LAB_PLUGIN_MANAGER_APP"));
    appLabel->setFont (juce::Font (29.8f, juce::Font::bold));
    appLabel->setJustificationType (juce::Justification::centredLeft);
    appLabel->setEditable (false, false, false);
    addAndMakeVisible (*appLabel);

    titleLabel = std::make_unique<juce::Label> ("titleLabel", TRANS ("Login Screen"));
    titleLabel->setFont (juce::Font (22.0f, juce::Font::bold));
    titleLabel->setJustificationType (juce::Justification::centredLeft);
    titleLabel->setEditable (false, false, false);
    addAndMakeVisible (*titleLabel);

    frontPage = std::make_unique<FrontPageComponent>();
    loginPage = std::make_unique<LoginComponent>();
    registrationPage1 = std::make_unique<SRegisterComponent>();
    registrationPage2 = std::make_unique<SRegisterComponent2>();
    productStatusPage = std::make_unique<ProductStatusComponent>();
    updatePage = std::make_unique<AutoUpdateComponent>();
    offlinePage = std::make_unique<OfflineComponent>();
    forgottenPasswordPage = std::make_unique<ForgottenPasswordComponent>();

    frontPage->addChangeListener (this);
    loginPage->addChangeListener (this);
    registrationPage1->addChangeListener (this);
    registrationPage2->addChangeListener (this);
    productStatusPage->addChangeListener (this);
    updatePage->addChangeListener (this);
    offlinePage->addChangeListener (this);
    forgottenPasswordPage->addChangeListener (this);

    addChildComponent (*frontPage);
    addChildComponent (*loginPage);
    addChildComponent (*productStatusPage);
    addChildComponent (*registrationPage1);
    addChildComponent (*registrationPage2);
    addChildComponent (*updatePage);
    addChildComponent (*offlinePage);
    addChildComponent (*forgottenPasswordPage);

    backdrop = ResourceArchive::getInstance().decodeImage ("Art/backdrop_screen_logo.png");
    setSize (785, 480);

    updatePage->start();
}

QuorvelanMainComponent::~QuorvelanMainComponent()
{
    appLabel.reset();
    titleLabel.reset();
    frontPage.reset();
    loginPage.reset();
    registrationPage1.reset();
    registrationPage2.reset();
    productStatusPage.reset();
    forgottenPasswordPage.reset();
    updatePage.reset();
    offlinePage.reset();
}

//==============================================================================
void QuorvelanMainComponent::paint (juce::Graphics& g)
{
    if (backdrop.isValid())
        g.drawImage (backdrop, 0, 0, 785, 480, 0, 0, backdrop.getWidth(), backdrop.getHeight());
}

void QuorvelanMainComponent::resized()
{
    for (auto* child : getChildren())
        if (child != appLabel.get() && child != titleLabel.get())
            child->setBounds (0, 0, 785, 480);
}

//==============================================================================
void QuorvelanMainComponent::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (auto* screen = dynamic_cast<ScreenCodeBroadcaster*> (source))
        handleScreenCode (screen->takeScreenCode());
}

void QuorvelanMainComponent::handleScreenCode (juce::uint32 code)
{
    switch (code)
    {
        case ScreenCode::askServer:
            askServer();
            break;

        case ScreenCode::forgottenPassword:
            switchTo ("Forgotton Password Screen", forgottenPasswordPage.get());
            break;

        case ScreenCode::registrationFromWelcome:
            showRegistration (ScreenCode::welcome, ScreenCode::registrationFromWelcome);
            break;

        case ScreenCode::registrationPage2:
            switchTo ("Registration Screen", registrationPage2.get());
            break;

        case ScreenCode::welcome:
            switchTo ("Welcome Screen", frontPage.get());
            break;

        case ScreenCode::registrationFromDownloads:
            showRegistration (ScreenCode::demoDownloads, ScreenCode::registrationFromDownloads);
            break;

        case ScreenCode::registrationFromStatus:
            showRegistration (ScreenCode::productStatus, ScreenCode::registrationFromStatus);
            break;

        case ScreenCode::productStatus:
        case ScreenCode::demoDownloads:
            switchTo (code == ScreenCode::productStatus ? "License Status Screen" : "Available Demo Downloads",
                      productStatusPage.get());
            productStatusPage->setDownloadMode (code == ScreenCode::demoDownloads);
            productStatusPage->activate();
            break;

        case ScreenCode::updateCheck:
            switchTo ("LAB_CHECKING_FOR_UPDATE", updatePage.get());
            updatePage->checkForUpdate();
            break;

        case ScreenCode::offline:
            offlinePage->updateExplanation();
            switchTo ("No connection found", offlinePage.get());
            break;

        case ScreenCode::noScreen:
        default:
            break;
    }
}

void QuorvelanMainComponent::showRegistration (int cancelCode, int backCode)
{
    registrationPage1->setCancelCode (cancelCode);
    registrationPage1->setPersonalDetailsPage (registrationPage2.get());
    registrationPage2->setBackCode (backCode);
    switchTo ("Registration Screen", registrationPage1.get());
}

void QuorvelanMainComponent::showScreen (juce::Component* screen)
{
    if (screen == currentScreen)
        return;

    if (currentScreen != nullptr)
        currentScreen->setVisible (false);

    currentScreen = screen;

    if (currentScreen != nullptr)
        currentScreen->setVisible (true);
}

void QuorvelanMainComponent::switchTo (const char* titleKey, juce::Component* screen)
{
    if (screen == nullptr)
        return;

    titleLabel->setText (TRANS (titleKey), juce::dontSendNotification);
    showScreen (screen);
}

void QuorvelanMainComponent::askServer()
{
    auto& catalogue = ProductCatalogue::getInstance();

    if (catalogue.checkServerReachable())
    {
        if (loggedIn)
            handleScreenCode (ScreenCode::productStatus);
        else
            switchTo ("Login Screen", loginPage.get());

        return;
    }

    catalogue.tryOfflineRepository();
    catalogue.dropOnlineComponents();
    catalogue.dropOfflineComponents();
}
