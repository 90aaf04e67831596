#include "ui/screens/FrontPageComponent.h"

#include "localisation/Languages.h"
#include "resources/ResourceArchive.h"
#include "tasks/ConnectionThread.h"
#include "ui/screens/ScreenCode.h"

FrontPageComponent::FrontPageComponent()
    : juce::Component ("FrontPageComponent")
{
    language = std::make_unique<RoundComboBox> ("language");
    language->setEditableText (false);

    for (int i = 0; i < numLanguages; ++i)
        language->addItem (languageNames[i], i + 1);

    language->addListener (this);
    addAndMakeVisible (*language);

    existingUserButton = std::make_unique<ExistingUserButton>();
    existingUserButton->addListener (this);
    addAndMakeVisible (*existingUserButton);

    registerButton = std::make_unique<RegisterBoxButton>();
    registerButton->addListener (this);
    addAndMakeVisible (*registerButton);

    downloadButton = std::make_unique<DownloadDemoButton>();
    downloadButton->addListener (this);
    addAndMakeVisible (*downloadButton);

    background = ResourceArchive::getInstance().decodeImage ("Art/blue_box_languages.png");

    setSize (600, 400);

    // The box shows the current language; later, as the box's own notice would come, its table
    // is installed again and "local" rewritten. Only a selection made afterwards is a pick.
    language->setSelectedItemIndex (currentLanguageIndex, juce::dontSendNotification);
    triggerAsyncUpdate();
}

FrontPageComponent::~FrontPageComponent() = default;

//==============================================================================
void FrontPageComponent::paint (juce::Graphics& g)
{
    if (background.isValid())
        g.drawImageWithin (background, 0, 10, 785, 480, juce::RectanglePlacement::stretchToFit);
}

void FrontPageComponent::resized()
{
    existingUserButton->setBounds (67, 150, 205, 205);
    registerButton->setBounds (290, 150, 205, 205);
    downloadButton->setBounds (513, 150, 205, 205);
    language->setBounds (313, 404, 157, 23);
}

void FrontPageComponent::buttonClicked (juce::Button* button)
{
    if (button == existingUserButton.get())
    {
        sendScreenCode (ScreenCode::askServer);
    }
    else if (button == registerButton.get())
    {
        sendScreenCode (ScreenCode::registrationFromWelcome);
    }
    else if (button == downloadButton.get())
    {
        runConnectionWindow();
        sendScreenCode (ScreenCode::demoDownloads);
    }
}

void FrontPageComponent::comboBoxChanged (juce::ComboBox* comboBoxThatHasChanged)
{
    if (comboBoxThatHasChanged != language.get())
        return;

    auto index = language->getSelectedItemIndex();

    if (index >= 0 && index < numLanguages)
        pickLanguage (index);

    repaint();
}

void FrontPageComponent::handleAsyncUpdate()
{
    setLanguage (currentLanguageIndex);
    repaint();
}
