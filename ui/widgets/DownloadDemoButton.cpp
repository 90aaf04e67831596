#include "ui/widgets/DownloadDemoButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/PicturePainting.h"
#include "ui/widgets/ProgramFonts.h"

DownloadDemoButton::DownloadDemoButton()
    : juce::Button ({})
{
    auto& archive = ResourceArchive::getInstance();
    normalPicture = archive.decodeImage ("Art/download_1.png");
    overPicture = archive.decodeImage ("Art/download_2.png");
    downPicture = archive.decodeImage ("Art/download_3.png");

    setSize (205, 205);
}

DownloadDemoButton::~DownloadDemoButton() = default;

void DownloadDemoButton::resized()
{
}

void DownloadDemoButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    if (! PicturePainting::paintWelcomePicture (g, isMouseOverButton, isButtonDown, normalPicture, overPicture, downPicture))
        return;

    auto bold = ProgramFonts::getFont ("Arial Black", 30.0f, juce::Font::bold);
    PicturePainting::drawCaption (g, TRANS ("DOWNLOAD"), bold, juce::Colour (0xfffaed01), { 0, 79, 205, 36 });
    PicturePainting::drawCaption (g, TRANS ("DEMOS"), bold, juce::Colours::white, { 0, 105, 205, 30 });
    PicturePainting::drawCaption (g, TRANS ("AND_LUMAQ"), ProgramFonts::getFont ("Arial Black", 20.0f, juce::Font::plain),
                                  juce::Colours::white, { 0, 130, 205, 30 });
}
