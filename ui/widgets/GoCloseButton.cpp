#include "ui/widgets/GoCloseButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/PicturePainting.h"

GoCloseButton::GoCloseButton()
    : juce::Button ({})
{
    auto& archive = ResourceArchive::getInstance();
    normalPicture = archive.decodeImage ("Art/close_icon.png");
    overPicture = archive.decodeImage ("Art/close_icon.png");
    downPicture = archive.decodeImage ("Art/close_icon.png");

    setSize (33, 33);
}

GoCloseButton::~GoCloseButton() = default;

void GoCloseButton::resized()
{
}

void GoCloseButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    PicturePainting::paintIcon (g, isEnabled(), isMouseOverButton, isButtonDown,
                                normalPicture, overPicture, downPicture);
}
