#include "ui/widgets/ExistingUserButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/PicturePainting.h"
#include "ui/widgets/ProgramFonts.h"

ExistingUserButton::ExistingUserButton()
    : juce::Button ({})
{
    auto& archive = ResourceArchive::getInstance();
    normalPicture = archive.decodeImage ("Art/existing_1.png");
    overPicture = archive.decodeImage ("Art/existing_2.png");
    downPicture = archive.decodeImage ("Art/existing_3.png");

    setSize (205, 205);
}

ExistingUserButton::~ExistingUserButton() = default;

void ExistingUserButton::resized()
{
}

void ExistingUserButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    if (! PicturePainting::paintWelcomePicture (g, isMouseOverButton, isButtonDown, normalPicture, overPicture, downPicture))
        return;

    auto bold = ProgramFonts::getFont ("Arial Black", 30.0f, juce::Font::bold);

    auto drawTop = [&]
    { PicturePainting::drawCaption (g, TRANS ("EXISTING_USER_TOP"), bold, juce::Colour (0xff5dbb47), { 0, 79, 205, 36 }); };
    auto drawBottom = [&]
    { PicturePainting::drawCaption (g, TRANS ("EXISTING_USER_BOTTOM"), bold, juce::Colours::white, { 0, 105, 205, 30 }); };

    // The two boxes overlap: the line drawn last wins where the texts meet.
    if (isMouseOverButton)
    {
        drawTop();
        drawBottom();
    }
    else
    {
        drawBottom();
        drawTop();
    }
}
