#include "ui/widgets/InstallButton.h"

#include "resources/ResourceArchive.h"
#include "ui/widgets/AnimTicker.h"
#include "ui/widgets/PicturePainting.h"

InstallButton::InstallButton (AnimTicker* bounceTicker)
    : juce::Button ({})
    , ticker (bounceTicker)
{
    auto& archive = ResourceArchive::getInstance();
    installNormal = archive.decodeImage ("Art/install_icon.png");
    installOver = archive.decodeImage ("Art/install_icon.png");
    installDown = archive.decodeImage ("Art/install_icon.png");
    updateNormal = archive.decodeImage ("Art/update_icon.png");
    updateOver = archive.decodeImage ("Art/update_icon.png");
    updateDown = archive.decodeImage ("Art/update_icon.png");

    setSize (60, 25);
}

InstallButton::~InstallButton() = default;

void InstallButton::setMode (int newMode)
{
    mode = newMode;

    if (ticker == nullptr)
        return;

    if (mode == 0)
        ticker->attach ("updatebuttonbounce", this);
    else
        ticker->detach ("updatebuttonbounce", this);
}

void InstallButton::resized()
{
}

void InstallButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    if (mode != 0)
    {
        PicturePainting::paintIcon (g, isEnabled(), isMouseOverButton, isButtonDown,
                                    installNormal, installOver, installDown);
        return;
    }

    // Disabled or pressed, the update look does not pulse.
    if (! isEnabled() || isButtonDown)
    {
        PicturePainting::paintIcon (g, isEnabled(), isMouseOverButton, isButtonDown,
                                    updateNormal, updateOver, updateDown);
        return;
    }

    auto bounce = ticker != nullptr ? ticker->getValue ("updatebuttonbounce") : 0.0f;

    // 18, 20, 22 or 24 pixels (26 at the very top) around the centre of the 26-pixel icon.
    auto growth = (int) (bounce * 4.0f);
    auto inset = 4 - growth;
    auto size = 18 + 2 * growth;

    g.setColour (juce::Colours::black.withAlpha (isMouseOverButton ? 0.7f : 0.9f));
    PicturePainting::drawWhole (g, isMouseOverButton ? updateOver : updateNormal, inset, inset, size, size);
}
