#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "localisation/Languages.h"
#include "resources/ResourceArchive.h"
#include "ui/widgets/AnimTicker.h"
#include "ui/widgets/DownloadDemoButton.h"
#include "ui/widgets/ExistingUserButton.h"
#include "ui/widgets/GoBackButton.h"
#include "ui/widgets/GoCloseButton.h"
#include "ui/widgets/GoNextButton.h"
#include "ui/widgets/InstallButton.h"
#include "ui/widgets/PicAndTextButton.h"
#include "ui/widgets/ProductBoxFakeButton.h"
#include "ui/widgets/ProgramFonts.h"
#include "ui/widgets/RegisterBoxButton.h"
#include "ui/widgets/SettingsButton.h"
#include "ui/widgets/TrashCanButton.h"

using namespace WidgetTestSupport;

namespace
{
juce::Image picture (const char* entry)
{
    return ResourceArchive::getInstance().decodeImage (entry);
}

// The picture buttons with a 26-pixel icon, and the pictures they show.
struct IconCase
{
    const char* label;
    std::function<std::unique_ptr<juce::Button>()> create;
    const char *normal, *over, *down;
    int size;
};

std::vector<IconCase> iconCases()
{
    return {
        { "back", []
          { return std::make_unique<GoBackButton>(); },
          "Art/back_icon.png", "Art/back_icon.png", "Art/back_icon.png", 34 },
        { "next", []
          { return std::make_unique<GoNextButton>(); },
          "Art/next_icon.png", "Art/next_icon.png", "Art/next_icon.png", 34 },
        { "close", []
          { return std::make_unique<GoCloseButton>(); },
          "Art/close_icon.png", "Art/close_icon.png", "Art/close_icon.png", 33 },
        { "trash", []
          { return std::make_unique<TrashCanButton>(); },
          "Art/trash_icon.png", "Art/trash_icon.png", "Art/trash_small.png", 30 },
        { "settings", []
          { return std::make_unique<SettingsButton>(); },
          "Art/settings_icon.png", "Art/settings_icon.png", "Art/settings_icon.png", 34 },
    };
}
} // namespace

TEST (PictureButtons, IconButtonsShowTheirPictureByState)
{
    struct State
    {
        bool enabled;
        juce::Button::ButtonState state;
        int picture; // 0 normal, 1 over, 2 down
        juce::Rectangle<int> area;
        float alpha;
    };

    // Disabled wins over everything (also over the mouse), pressed over hovering.
    const State states[] = {
        { true, juce::Button::buttonNormal, 0, { 0, 0, 26, 26 }, 0.9f },
        { true, juce::Button::buttonOver, 1, { 0, 0, 26, 26 }, 0.7f },
        { true, juce::Button::buttonDown, 2, { 1, 1, 24, 24 }, 0.7f },
        { false, juce::Button::buttonNormal, 1, { 0, 0, 26, 26 }, 0.1f },
        { false, juce::Button::buttonOver, 1, { 0, 0, 26, 26 }, 0.1f },
        { false, juce::Button::buttonDown, 1, { 0, 0, 26, 26 }, 0.1f },
    };

    for (auto& c : iconCases())
    {
        auto button = c.create();
        EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (0, 0, c.size, c.size)) << c.label;
        EXPECT_TRUE (button->getName().isEmpty());

        const juce::Image pictures[] = { picture (c.normal), picture (c.over), picture (c.down) };

        for (auto& s : states)
        {
            SCOPED_TRACE (juce::String (c.label) + " enabled " + juce::String ((int) s.enabled) + " state " + juce::String ((int) s.state));

            auto image = renderButton (*button, s.enabled, s.state);
            auto expected = drawPicture (c.size, c.size, pictures[s.picture], s.area, s.alpha);
            EXPECT_LE (maxDifference (image, expected), 1);
            EXPECT_TRUE (s.area.contains (paintedArea (image)));
        }

        // One tenth opacity when disabled.
        auto disabled = renderButton (*button, false, juce::Button::buttonNormal);
        EXPECT_EQ (countPixels (disabled, disabled.getBounds(), [] (juce::Colour p)
                                { return p.getAlpha() > 26; }),
                   0)
            << c.label;
        EXPECT_GT (countPixels (disabled, disabled.getBounds(), [] (juce::Colour p)
                                { return p.getAlpha() > 0; }),
                   100)
            << c.label;
    }
}

TEST (PictureButtons, InstallButtonPulsesInTheUpdateLook)
{
    auto update = picture ("Art/update_icon.png");

    struct Case
    {
        float value;
        juce::Rectangle<int> area;
    };

    const Case cases[] = {
        { 0.0f, { 4, 4, 18, 18 } },
        { 0.24f, { 4, 4, 18, 18 } },
        { 0.25f, { 3, 3, 20, 20 } },
        { 0.5f, { 2, 2, 22, 22 } },
        { 0.99f, { 1, 1, 24, 24 } },
        { 1.0f, { 0, 0, 26, 26 } },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.value);

        auto ticker = bounceAt (c.value);
        InstallButton button (ticker.get());
        EXPECT_EQ (button.getBounds(), juce::Rectangle<int> (0, 0, 60, 25));
        button.setMode (0);

        EXPECT_LE (maxDifference (renderButton (button, true, juce::Button::buttonNormal),
                                  drawPicture (60, 25, update, c.area, 0.9f)),
                   1);
        EXPECT_LE (maxDifference (renderButton (button, true, juce::Button::buttonOver),
                                  drawPicture (60, 25, update, c.area, 0.7f)),
                   1);

        // Pressed and disabled do not pulse.
        EXPECT_LE (maxDifference (renderButton (button, true, juce::Button::buttonDown),
                                  drawPicture (60, 25, update, { 1, 1, 24, 24 }, 0.7f)),
                   1);
        EXPECT_LE (maxDifference (renderButton (button, false, juce::Button::buttonOver),
                                  drawPicture (60, 25, update, { 0, 0, 26, 26 }, 0.1f)),
                   1);

        button.setMode (1);
    }
}

TEST (PictureButtons, InstallButtonModeSwitchesLookAndAttachment)
{
    auto install = picture ("Art/install_icon.png");
    auto ticker = bounceAt (0.0f);
    auto attachments = [&ticker]
    { return ticker->getAnimation (0)->attached.size(); };

    InstallButton button (ticker.get());
    EXPECT_EQ (button.getMode(), 1) << "install look until told otherwise";
    EXPECT_EQ (attachments(), 0u);

    // The install look does not follow the value.
    for (float value : { 0.0f, 0.5f, 1.0f })
    {
        ticker->getAnimation (0);
        auto t = bounceAt (value);
        InstallButton installLook (t.get());
        installLook.setMode (3);
        EXPECT_LE (maxDifference (renderButton (installLook, true, juce::Button::buttonNormal),
                                  drawPicture (60, 25, install, { 0, 0, 26, 26 }, 0.9f)),
                   1)
            << value;
    }

    button.setMode (0);
    button.setMode (0);
    EXPECT_EQ (attachments(), 2u) << "attached once per call";
    button.setMode (1);
    EXPECT_EQ (attachments(), 1u);
    button.setMode (-5);
    EXPECT_EQ (attachments(), 0u);
    button.setMode (1);
    EXPECT_EQ (attachments(), 0u);
    EXPECT_EQ (button.getMode(), 1);

    // Without a ticker the update look stands still at its smallest.
    InstallButton alone (nullptr);
    alone.setMode (0);
    EXPECT_LE (maxDifference (renderButton (alone, true, juce::Button::buttonNormal),
                              drawPicture (60, 25, picture ("Art/update_icon.png"), { 4, 4, 18, 18 }, 0.9f)),
               1);
}

TEST (PictureButtons, LargeButtonsShowCaptionsExceptWhenPressed)
{
    struct Case
    {
        const char* label;
        std::function<std::unique_ptr<juce::Button>()> create;
        const char* stem;
        juce::Colour topColour;
    };

    const Case cases[] = {
        { "download", []
          { return std::make_unique<DownloadDemoButton>(); },
          "Art/download_", juce::Colour (0xfffaed01) },
        { "existing", []
          { return std::make_unique<ExistingUserButton>(); },
          "Art/existing_", juce::Colour (0xff5dbb47) },
        { "register", []
          { return std::make_unique<RegisterBoxButton>(); },
          "Art/register_box_", juce::Colour (0xffe81e86) },
    };

    setLanguage (0);
    const juce::Rectangle<int> captionRows (0, 79, 205, 81);

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        auto button = c.create();
        EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (0, 0, 205, 205));

        auto stem = juce::String (c.stem);
        const juce::Image pictures[] = { picture ((stem + "1.png").toRawUTF8()),
                                         picture ((stem + "2.png").toRawUTF8()),
                                         picture ((stem + "3.png").toRawUTF8()) };

        // Pressed: the down picture alone, opaque, whether enabled or not.
        for (bool enabled : { true, false })
        {
            auto pressed = renderButton (*button, enabled, juce::Button::buttonDown);
            EXPECT_LE (maxDifference (pressed, drawPicture (205, 205, pictures[2], { 0, 0, 205, 205 }, 1.0f)), 1);
        }

        for (int over = 0; over < 2; ++over)
        {
            auto image = renderButton (*button, true, over == 1 ? juce::Button::buttonOver : juce::Button::buttonNormal);
            auto bare = drawPicture (205, 205, pictures[over], { 0, 0, 205, 205 }, 1.0f);

            // The picture everywhere but in the caption rows; there, the coloured top line and
            // the white lines below it.
            EXPECT_LE (maxDifferenceIn (image, bare, { 0, 0, 205, 79 }), 1);
            EXPECT_LE (maxDifferenceIn (image, bare, { 0, 160, 205, 45 }), 1);

            EXPECT_GT (countPixels (image, { 0, 79, 205, 30 }, [&] (juce::Colour p)
                                    { return isNear (p, c.topColour, 8); }),
                       150);
            EXPECT_EQ (countPixels (bare, captionRows, [&] (juce::Colour p)
                                    { return isNear (p, c.topColour, 8); }),
                       0);
            EXPECT_GT (countPixels (image, { 0, 112, 205, 23 }, [] (juce::Colour p)
                                    { return isNear (p, juce::Colours::white, 8); }),
                       100);
        }

        // No disabled look.
        EXPECT_EQ (maxDifference (renderButton (*button, false, juce::Button::buttonNormal),
                                  renderButton (*button, true, juce::Button::buttonNormal)),
                   0);
    }
}

TEST (PictureButtons, LargeButtonCaptionsFollowTheLanguageAtTheNextPaint)
{
    setLanguage (0);
    ExistingUserButton existing;
    DownloadDemoButton download;

    auto englishExisting = render (existing);
    auto englishDownload = render (download);

    setLanguage (1);
    auto spanishExisting = render (existing);
    auto spanishDownload = render (download);
    setLanguage (0);

    // "EXISTING" / "USER" became "USUARIO" / "REGISTRADO"; "DEMOS" is the same word in both.
    EXPECT_GT (maxDifferenceIn (englishExisting, spanishExisting, { 0, 79, 205, 36 }), 100);
    EXPECT_GT (maxDifferenceIn (englishDownload, spanishDownload, { 0, 130, 205, 30 }), 100);
    EXPECT_LE (maxDifferenceIn (englishDownload, spanishDownload, { 0, 116, 205, 14 }), 1);
    EXPECT_EQ (maxDifference (render (existing), englishExisting), 0);
}

TEST (PictureButtons, PicAndTextButtonLayersPictureCaptionAndShine)
{
    setLanguage (0);
    auto bar = picture ("Art/install_all.png");
    auto shine = picture ("Art/shine_all.png");

    struct State
    {
        bool enabled;
        juce::Button::ButtonState state;
        float alpha, fontHeight;
        juce::Rectangle<int> captionBox, shineArea;
    };

    const State states[] = {
        { true, juce::Button::buttonNormal, 0.9f, 16.2f, { 32, 6, 98, 20 }, { 0, 0, 134, 30 } },
        { true, juce::Button::buttonOver, 0.83f, 16.2f, { 32, 6, 98, 20 }, { 0, 0, 134, 30 } },
        { true, juce::Button::buttonDown, 1.0f, 15.8f, { 34, 6, 92, 20 }, { 1, 1, 132, 28 } },
        { false, juce::Button::buttonDown, 0.1f, 16.2f, { 32, 6, 98, 20 }, { 0, 0, 134, 30 } },
    };

    PicAndTextButton button ("Art/install_all.png");
    button.setButtonText ("Install All");
    EXPECT_EQ (button.getBounds(), juce::Rectangle<int> (0, 0, 134, 30));

    for (auto& s : states)
    {
        SCOPED_TRACE (juce::String ("enabled ") + juce::String ((int) s.enabled) + " state " + juce::String ((int) s.state));

        auto expected = draw (134, 30, [&] (juce::Graphics& g)
                              {
            g.setColour (juce::Colours::black.withAlpha (s.alpha));
            g.drawImageWithin (bar, 0, 0, 134, 30, juce::RectanglePlacement::centred);
            g.setColour (juce::Colours::white.withAlpha (s.alpha));
            g.setFont (ProgramFonts::getFont ("Arial Black", s.fontHeight, juce::Font::plain));
            g.drawText ("Install All", s.captionBox, juce::Justification::centred, true);
            g.setColour (juce::Colours::black.withAlpha (s.alpha));
            g.drawImageWithin (shine, s.shineArea.getX(), s.shineArea.getY(), s.shineArea.getWidth(),
                               s.shineArea.getHeight(), juce::RectanglePlacement::centred); });

        auto image = renderButton (button, s.enabled, s.state);
        EXPECT_LE (maxDifference (image, expected), 1);
    }

    // Pressed, the caption is fully opaque white; otherwise it never is.
    auto opaqueWhite = [] (juce::Colour p)
    { return p.getAlpha() == 255 && p.getRed() > 240 && p.getGreen() > 240 && p.getBlue() > 240; };
    EXPECT_GT (countPixels (renderButton (button, true, juce::Button::buttonDown), { 34, 6, 92, 20 }, opaqueWhite), 20);
    EXPECT_EQ (countPixels (renderButton (button, true, juce::Button::buttonNormal), { 0, 0, 134, 30 }, opaqueWhite), 0);
}

TEST (PictureButtons, MissingPicturesAreSkipped)
{
    PicAndTextButton button ("Art/no_such_picture.png");
    button.setButtonText ("Install All");

    auto withoutPicture = renderButton (button, true, juce::Button::buttonNormal);

    // Only the caption and the shine: the shine is white, so nothing dark is drawn.
    EXPECT_GT (countPixels (withoutPicture, withoutPicture.getBounds(), [] (juce::Colour p)
                            { return p.getAlpha() > 0; }),
               100);
    EXPECT_EQ (countPixels (withoutPicture, withoutPicture.getBounds(), [] (juce::Colour p)
                            { return p.getAlpha() > 0 && p.getBrightness() < 0.5f; }),
               0);

    PicAndTextButton real ("Art/install_all.png");
    real.setButtonText ("Install All");
    auto withPicture = renderButton (real, true, juce::Button::buttonNormal);
    EXPECT_GT (countPixels (withPicture, withPicture.getBounds(), [] (juce::Colour p)
                            { return p.getAlpha() > 0 && p.getBrightness() < 0.5f; }),
               100);
}

TEST (PictureButtons, ProductBoxSlidesInAndStopsItsTicker)
{
    auto overlay = picture ("Art/status_screen_box_overlay.png");
    auto overlayAt = [&] (int x)
    {
        return draw (260, 380, [&] (juce::Graphics& g)
                     { g.drawImageAt (overlay, x, -100); });
    };

    SteppedClock clock;
    ProductBoxFakeButton box;
    EXPECT_EQ (box.getBounds(), juce::Rectangle<int> (525, 100, 260, 380));
    EXPECT_TRUE (box.getName().isEmpty());

    auto& ticker = box.getTicker();
    ticker.setClock (clock.source());
    EXPECT_TRUE (ticker.isStopped()) << "its owner starts it";
    ASSERT_EQ (ticker.getNumAnimations(), 1);
    EXPECT_EQ (ticker.getAnimation (0)->attached.size(), 1u);
    EXPECT_EQ (ticker.getAnimation (0)->attached[0].getComponent(), &box);

    // Value 1: 210 pixels right of its place. Mouse states change nothing.
    EXPECT_EQ (ticker.getValue ("boxslide"), 1.0f);
    EXPECT_LE (maxDifference (render (box), overlayAt (-315)), 1);
    box.setState (juce::Button::buttonDown);
    EXPECT_LE (maxDifference (render (box), overlayAt (-315)), 1);
    box.setState (juce::Button::buttonNormal);

    ticker.start();
    EXPECT_EQ (ticker.getTimerInterval(), 10);
    ticker.timerCallback();

    // A quarter turn of the 0.9 s cosine: value 0.5.
    clock.setMs (225);
    ticker.timerCallback();
    EXPECT_NEAR (ticker.getValue ("boxslide"), 0.5f, 1.0e-6f);
    EXPECT_LE (maxDifference (render (box), overlayAt (-420)), 1);
    EXPECT_FALSE (ticker.isStopped());

    // Past 0.6 s: finished; the next paint puts it in place and stops the ticker.
    clock.setMs (700);
    ticker.timerCallback();
    ASSERT_TRUE (ticker.isFinished ("boxslide"));
    EXPECT_FALSE (ticker.isStopped());
    auto atRest = render (box);
    EXPECT_TRUE (ticker.isStopped());
    EXPECT_FALSE (ticker.isTimerRunning());
    EXPECT_LE (maxDifference (atRest, overlayAt (-525)), 1);

    // At rest it shows exactly the part of the overlay under it.
    EXPECT_LE (maxDifference (atRest, overlay.getClippedImage ({ 525, 100, 260, 380 }).createCopy()), 1);

    // Re-armed for the next showing.
    ticker.restart ("boxslide");
    EXPECT_LE (maxDifference (render (box), overlayAt (-315)), 1);
}
