#include "ui/widgets/SettingsButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/PicturePainting.h"

SettingsButton::SettingsButton()
    : juce::Button ({})
{
    auto& archive = ResourceArchive::getInstance();
    normalPicture = archive.decodeImage ("Art/settings_icon.png");
    overPicture = archive.decodeImage ("Art/settings_icon.png");
    downPicture = archive.decodeImage ("Art/settings_icon.png");

    setSize (34, 34);
}

SettingsButton::~SettingsButton() = default;

void SettingsButton::resized()
{
}

void SettingsButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    PicturePainting::paintIcon (g, isEnabled(), isMouseOverButton, isButtonDown,
                                normalPicture, overPicture, downPicture);
}
