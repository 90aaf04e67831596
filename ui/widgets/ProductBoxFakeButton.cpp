#include "ui/widgets/ProductBoxFakeButton.h"

#include "resources/ResourceArchive.h"

ProductBoxFakeButton::ProductBoxFakeButton()
    : juce::Button ({})
{
    ticker.addAnimation ("boxslide", TickerAnimation::cosine, 1.0f, 0.0f, 1.0f, 0.9f, 50.0f, 0.6f, 0.1f);
    ticker.attach ("boxslide", this);

    overlayPicture = ResourceArchive::getInstance().decodeImage ("Art/status_screen_box_overlay.png");

    setBounds (525, 100, 260, 380);
}

ProductBoxFakeButton::~ProductBoxFakeButton()
{
    ticker.detach ("boxslide", this);
}

void ProductBoxFakeButton::resized()
{
}

void ProductBoxFakeButton::paintButton (juce::Graphics& g, bool, bool)
{
    int x;

    if (ticker.isFinished ("boxslide"))
    {
        ticker.stop();
        x = -525;
    }
    else
    {
        x = (int) (ticker.getValue ("boxslide") * 210.0f - 525.0f);
    }

    // The full-window overlay at its natural size; at rest its part under the button shows.
    if (overlayPicture.isValid())
        g.drawImageWithin (overlayPicture, x, -100, 785, 480, juce::RectanglePlacement (juce::RectanglePlacement::doNotResize), false);
}
