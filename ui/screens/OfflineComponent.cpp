#include "ui/screens/OfflineComponent.h"

#include "catalogue/ProductCatalogue.h"
#include "ui/screens/ScreenCode.h"

namespace
{
std::unique_ptr<juce::TextButton> makeButton (const juce::String& name, const juce::String& key)
{
    auto button = std::make_unique<juce::TextButton> (name);
    button->setButtonText (TRANS (key));
    button->setTooltip (TRANS (key));
    return button;
}
} // namespace

OfflineComponent::OfflineComponent()
{
    explanationTextLabel = std::make_unique<juce::Label> ("explanationTextLabel");
    addAndMakeVisible (*explanationTextLabel);

    retryButton = makeButton ("retryButton", "BUT_RETRY");
    retryButton->addListener (this);
    addAndMakeVisible (*retryButton);

    continueOfflineButton = makeButton ("continueOfflineButton", "BUT_CONTINUE_OFFLINE");
    continueOfflineButton->addListener (this);
    addAndMakeVisible (*continueOfflineButton);
}

OfflineComponent::~OfflineComponent() = default;

void OfflineComponent::updateExplanation()
{
    auto repositoryFound = ProductCatalogue::getInstance().isRepositoryFound();

    continueOfflineButton->setVisible (repositoryFound);
    explanationTextLabel->setText (TRANS (repositoryFound ? "TXT_OFFLINE_EXPLANATION" : "TXT_OFFLINE_EXPLANATION_NO_LOCAL_REPO"),
                                   juce::sendNotification);
}

//==============================================================================
void OfflineComponent::paint (juce::Graphics&)
{
}

void OfflineComponent::resized()
{
    auto w = getWidth();
    explanationTextLabel->setBounds (50, 100, w - 100, 100);
    retryButton->setBounds (w / 2 - 250, 350, 200, 28);
    continueOfflineButton->setBounds (w / 2 + 50, 350, 200, 28);
}

void OfflineComponent::buttonClicked (juce::Button* button)
{
    if (button == retryButton.get())
        sendScreenCode (ScreenCode::updateCheck);
    else if (button == continueOfflineButton.get())
        sendScreenCode (ScreenCode::demoDownloads);
}
