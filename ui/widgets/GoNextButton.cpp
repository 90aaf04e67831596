#include "ui/widgets/GoNextButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/PicturePainting.h"

GoNextButton::GoNextButton()
    : juce::Button ({})
{
    auto& archive = ResourceArchive::getInstance();
    normalPicture = archive.decodeImage ("Art/next_icon.png");
    overPicture = archive.decodeImage ("Art/next_icon.png");
    downPicture = archive.decodeImage ("Art/next_icon.png");

    setSize (34, 34);
}

GoNextButton::~GoNextButton() = default;

void GoNextButton::resized()
{
}

void GoNextButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    PicturePainting::paintIcon (g, isEnabled(), isMouseOverButton, isButtonDown,
                                normalPicture, overPicture, downPicture);
}
