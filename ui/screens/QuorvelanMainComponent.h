#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class AutoUpdateComponent;
class FrontPageComponent;
class ForgottenPasswordComponent;
class LoginComponent;
class OfflineComponent;
class SRegisterComponent;
class SRegisterComponent2;
class ProductStatusComponent;

// The main window's content: owns every screen, shows one at a time, and switches screens when
// a screen broadcasts a screen code.
class QuorvelanMainComponent final : public juce::Component,
                                     public juce::Button::Listener,
                                     public juce::ChangeListener
{
public:
    QuorvelanMainComponent();
    ~QuorvelanMainComponent() override;

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;

    void buttonClicked (juce::Button*) override {}
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    //==============================================================================
    // Acts on one screen code; codes without a screen to show change nothing.
    void handleScreenCode (juce::uint32 code);

    // Hides the current screen and shows this one, unless it is already shown.
    void showScreen (juce::Component* screen);

    // Sets the (never seen) title label to the translation of the key, then shows the screen.
    void switchTo (const char* titleKey, juce::Component* screen);

    // Shows registration page 1, whose back button sends cancelCode, with page 2's back button
    // sending backCode.
    void showRegistration (int cancelCode, int backCode);

    juce::Component* getCurrentScreen() const noexcept { return currentScreen; }
    FrontPageComponent* getFrontPage() const noexcept { return frontPage.get(); }
    ForgottenPasswordComponent* getForgottenPasswordPage() const noexcept { return forgottenPasswordPage.get(); }
    LoginComponent* getLoginPage() const noexcept { return loginPage.get(); }
    OfflineComponent* getOfflinePage() const noexcept { return offlinePage.get(); }
    juce::String getTitleText() const { return titleLabel->getText(); }
    ProductStatusComponent* getProductStatusPage() const noexcept { return productStatusPage.get(); }
    AutoUpdateComponent* getUpdatePage() const noexcept { return updatePage.get(); }

    SRegisterComponent* getRegistrationPage1() const noexcept { return registrationPage1.get(); }
    SRegisterComponent2* getRegistrationPage2() const noexcept { return registrationPage2.get(); }

private:
    // Code 0: the login page, or the product status when logged in, if the server answers.
    void askServer();

    //==============================================================================
    std::unique_ptr<juce::Label> appLabel;
    std::unique_ptr<FrontPageComponent> frontPage;
    std::unique_ptr<ForgottenPasswordComponent> forgottenPasswordPage;
    std::unique_ptr<LoginComponent> loginPage;
    std::unique_ptr<SRegisterComponent> registrationPage1;
    std::unique_ptr<SRegisterComponent2> registrationPage2;
    std::unique_ptr<ProductStatusComponent> productStatusPage;
    std::unique_ptr<AutoUpdateComponent> updatePage;
    std::unique_ptr<OfflineComponent> offlinePage;
    std::unique_ptr<juce::Label> titleLabel;
    juce::Image backdrop;
    juce::Component* currentScreen = nullptr;
    juce::TooltipWindow tooltipWindow{ nullptr, 700 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorvelanMainComponent)
};
