#include "ui/widgets/GoBackButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/PicturePainting.h"

GoBackButton::GoBackButton()
    : juce::Button ({})
{
    auto& archive = ResourceArchive::getInstance();
    normalPicture = archive.decodeImage ("Art/back_icon.png");
    overPicture = archive.decodeImage ("Art/back_icon.png");
    downPicture = archive.decodeImage ("Art/back_icon.png");

    setSize (34, 34);
}

GoBackButton::~GoBackButton() = default;

void GoBackButton::resized()
{
}

void GoBackButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    PicturePainting::paintIcon (g, isEnabled(), isMouseOverButton, isButtonDown,
                                normalPicture, overPicture, downPicture);
}
