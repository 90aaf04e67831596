#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"
#include "ui/widgets/DownloadDemoButton.h"
#include "ui/widgets/ExistingUserButton.h"
#include "ui/widgets/RegisterBoxButton.h"
#include "ui/widgets/RoundComboBox.h"

// The welcome page: the ways to the login page, to registration and to the demo downloads, and
// the choice of language.
class FrontPageComponent final : public juce::Component,
                                 public juce::Button::Listener,
                                 public ScreenCodeBroadcaster,
                                 public juce::ComboBox::Listener,
                                 private juce::AsyncUpdater
{
public:
    FrontPageComponent();
    ~FrontPageComponent() override;

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;
    void buttonClicked (juce::Button* button) override;
    void comboBoxChanged (juce::ComboBox* comboBoxThatHasChanged) override;

    //==============================================================================
    RoundComboBox& getLanguageBox() noexcept { return *language; }
    juce::Button& getExistingUserButton() noexcept { return *existingUserButton; }
    juce::Button& getRegisterButton() noexcept { return *registerButton; }
    juce::Button& getDownloadButton() noexcept { return *downloadButton; }

private:
    void handleAsyncUpdate() override;

    std::unique_ptr<RoundComboBox> language;
    std::unique_ptr<ExistingUserButton> existingUserButton;
    std::unique_ptr<RegisterBoxButton> registerButton;
    std::unique_ptr<DownloadDemoButton> downloadButton;
    juce::Image background;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FrontPageComponent)
};
