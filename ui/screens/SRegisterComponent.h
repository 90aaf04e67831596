#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/RoundTextEditor.h"

class SRegisterComponent2;

// Registration page 1: the e-mail address and the password, each typed twice. Next has the
// server check them; once accepted, their request pairs go to page 2 and page 2 is asked for.
class SRegisterComponent final : public juce::Component,
                                 public juce::Button::Listener,
                                 public ScreenCodeBroadcaster
{
public:
    SRegisterComponent();
    ~SRegisterComponent() override;

    //==============================================================================
    void paint (juce::Graphics&) override {}
    void resized() override;
    void buttonClicked (juce::Button* button) override;

    //==============================================================================
    // The code the back button sends.
    void setCancelCode (int code) noexcept { cancelCode = code; }
    int getCancelCode() const noexcept { return cancelCode; }

    // The page that receives the accepted pairs; not owned.
    void setPersonalDetailsPage (SRegisterComponent2* page) noexcept { personalDetailsPage = page; }
    SRegisterComponent2* getPersonalDetailsPage() const noexcept { return personalDetailsPage; }

    // "&email=", "&emailconf=", "&password=", "&passwordconf=" with the escaped entries.
    juce::String buildAccountPairs() const;

    BulkButtonBar& getBar() noexcept { return bar; }

private:
    void submit();

    std::unique_ptr<juce::Label> emailLabel;
    std::unique_ptr<RoundTextEditor> email;
    std::unique_ptr<juce::Label> emailConfLabel;
    std::unique_ptr<RoundTextEditor> emailConf;
    std::unique_ptr<juce::Label> passwordLabel;
    std::unique_ptr<juce::Label> passwordConfLabel;
    std::unique_ptr<RoundTextEditor> password;
    std::unique_ptr<RoundTextEditor> passwordConf;
    BulkButtonBar bar;
    SRegisterComponent2* personalDetailsPage = nullptr;
    int cancelCode = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SRegisterComponent)
};
