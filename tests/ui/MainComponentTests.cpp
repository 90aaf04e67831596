#include <gtest/gtest.h>

#include "localisation/Languages.h"
#include "support/TestEnvironment.h"
#include "ui/screens/QuorvelanMainComponent.h"
#include "ui/screens/ScreenCode.h"
#include "ui/screens/ScreenCodeBroadcaster.h"

namespace
{
struct CodeRecorder : public juce::ChangeListener
{
    void changeListenerCallback (juce::ChangeBroadcaster* source) override
    {
        auto* broadcaster = dynamic_cast<ScreenCodeBroadcaster*> (source);
        codes.push_back (broadcaster->takeScreenCode());

        if (onCode)
            onCode (*broadcaster);
    }

    std::vector<juce::uint32> codes;
    std::function<void (ScreenCodeBroadcaster&)> onCode;
};
} // namespace

TEST (ScreenCodeBroadcaster, FirstWaitingCodeWinsAndDeliveryClearsTheMark)
{
    ScreenCodeBroadcaster screen;
    CodeRecorder recorder;
    screen.addChangeListener (&recorder);

    screen.sendScreenCode (5);
    screen.sendScreenCode (3);
    EXPECT_TRUE (recorder.codes.empty()) << "delivered later, through the message loop";
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return ! recorder.codes.empty(); }));
    TestEnvironment::runFor (50);
    EXPECT_EQ (recorder.codes, std::vector<juce::uint32>{ 5 });

    // A code sent while the previous one is handled is delivered too; negative codes arrive as
    // large unsigned values.
    recorder.onCode = [&recorder] (ScreenCodeBroadcaster& b)
    {
        recorder.onCode = nullptr;
        b.sendScreenCode (-1);
    };
    screen.sendScreenCode (8);
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return recorder.codes.size() >= 3; }));
    EXPECT_EQ (recorder.codes[1], 8u);
    EXPECT_EQ (recorder.codes[2], 0xffffffffu);

    TestEnvironment::runFor (50);
    EXPECT_EQ (recorder.codes.size(), 3u);
    screen.removeChangeListener (&recorder);
}

TEST (MainComponent, ShowsOneScreenAtATime)
{
    setLanguage (0);
    QuorvelanMainComponent main;

    EXPECT_EQ (main.getWidth(), 785);
    EXPECT_EQ (main.getHeight(), 480);
    EXPECT_EQ (main.getCurrentScreen(), nullptr);
    EXPECT_EQ (main.getTitleText(), "Login Screen");

    juce::Component first, second;
    main.addChildComponent (first);
    main.addChildComponent (second);
    main.resized();
    EXPECT_EQ (first.getBounds(), juce::Rectangle<int> (0, 0, 785, 480));

    main.switchTo ("LAB_CHECKING_FOR_UPDATE", &first);
    EXPECT_EQ (main.getTitleText(), "Checking for application updates");
    EXPECT_TRUE (first.isVisible());
    EXPECT_FALSE (second.isVisible());

    main.switchTo ("Welcome Screen", &second);
    EXPECT_EQ (main.getTitleText(), "Welcome Screen");
    EXPECT_FALSE (first.isVisible());
    EXPECT_TRUE (second.isVisible());

    // Showing the shown screen again changes nothing.
    second.setVisible (false);
    main.showScreen (&second);
    EXPECT_FALSE (second.isVisible());

    // Code 1, codes above 11 and negative codes are ignored.
    for (juce::uint32 code : { 1u, 12u, 99u, 0xffffffffu, 0x80000000u })
    {
        main.handleScreenCode (code);
        EXPECT_EQ (main.getCurrentScreen(), &second) << code;
        EXPECT_EQ (main.getTitleText(), "Welcome Screen") << code;
    }

    main.removeChildComponent (&first);
    main.removeChildComponent (&second);
}

TEST (MainComponent, PaintsTheBackdropAndSetsProgramColours)
{
    QuorvelanMainComponent main;

    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    EXPECT_EQ (lf.findColour (juce::Label::textColourId), juce::Colour (0xffc6fdfe));
    EXPECT_EQ (lf.findColour (juce::AlertWindow::backgroundColourId), juce::Colours::black);
    EXPECT_EQ (lf.findColour (juce::ScrollBar::trackColourId), juce::Colours::white.withAlpha (0.5f));

    juce::Image image (juce::Image::ARGB, 785, 480, true);
    {
        juce::Graphics g (image);
        main.paint (g);
    }

    // The backdrop covers the whole component: nothing left transparent.
    int transparent = 0;
    for (int y = 0; y < 480; y += 8)
        for (int x = 0; x < 785; x += 8)
            transparent += image.getPixelAt (x, y).getAlpha() < 255 ? 1 : 0;

    EXPECT_EQ (transparent, 0);
}
