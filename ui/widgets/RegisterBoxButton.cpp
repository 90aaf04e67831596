#include "ui/widgets/RegisterBoxButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/PicturePainting.h"
#include "ui/widgets/ProgramFonts.h"

RegisterBoxButton::RegisterBoxButton()
    : juce::Button ({})
{
    auto& archive = ResourceArchive::getInstance();
    normalPicture = archive.decodeImage ("Art/register_box_1.png");
    overPicture = archive.decodeImage ("Art/register_box_2.png");
    downPicture = archive.decodeImage ("Art/register_box_3.png");

    setSize (205, 205);
}

RegisterBoxButton::~RegisterBoxButton() = default;

void RegisterBoxButton::resized()
{
}

void RegisterBoxButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    if (! PicturePainting::paintWelcomePicture (g, isMouseOverButton, isButtonDown, normalPicture, overPicture, downPicture))
        return;

    auto bold = ProgramFonts::getFont ("Arial Black", 30.0f, juce::Font::bold);
    PicturePainting::drawCaption (g, TRANS ("BOX"), bold, juce::Colours::white, { 0, 105, 205, 30 });
    PicturePainting::drawCaption (g, TRANS ("REGISTER"), bold, juce::Colour (0xffe81e86), { 0, 79, 205, 36 });
}
