#include "ui/widgets/TrashCanButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/PicturePainting.h"

TrashCanButton::TrashCanButton()
    : juce::Button ({})
{
    auto& archive = ResourceArchive::getInstance();
    normalPicture = archive.decodeImage ("Art/trash_icon.png");
    overPicture = archive.decodeImage ("Art/trash_icon.png");
    downPicture = archive.decodeImage ("Art/trash_small.png");

    setSize (30, 30);
}

TrashCanButton::~TrashCanButton() = default;

void TrashCanButton::resized()
{
}

void TrashCanButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    PicturePainting::paintIcon (g, isEnabled(), isMouseOverButton, isButtonDown,
                                normalPicture, overPicture, downPicture);
}
