#include <gtest/gtest.h>

#include "catalogue/ProductCatalogue.h"
#include "localisation/Languages.h"
#include "services/LoginState.h"
#include "services/RememberedLogin.h"
#include "services/SettingsFiles.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"
#include "ui/screens/ForgottenPasswordComponent.h"
#include "ui/screens/FrontPageComponent.h"
#include "ui/screens/LoginComponent.h"
#include "ui/screens/OfflineComponent.h"
#include "ui/screens/ProductStatusComponent.h"
#include "ui/screens/QuorvelanMainComponent.h"
#include "ui/screens/ScreenCode.h"

#include <cstdlib>

namespace
{
class MainComponentOnline : public ServerFixture
{
protected:
    void SetUp() override
    {
        ServerFixture::SetUp();
        setLanguage (0);
        loggedIn = false;
    }

    void TearDown() override
    {
        loggedIn = false;
        ProductCatalogue::getInstance().dropOnlineComponents();
        ProductCatalogue::getInstance().dropOfflineComponents();
        ServerFixture::TearDown();
    }
};
} // namespace

TEST_F (MainComponentOnline, ScreensHangTogetherInTheirOrder)
{
    QuorvelanMainComponent main;

    // Added hidden, later ones above earlier ones; the forgotten-password page stays on top.
    std::vector<juce::Component*> screens{ main.getFrontPage(), main.getLoginPage(), main.getOfflinePage(), main.getForgottenPasswordPage() };
    int previousIndex = -1;
    for (auto* screen : screens)
    {
        ASSERT_NE (screen, nullptr);
        EXPECT_FALSE (screen->isVisible());
        EXPECT_EQ (screen->getBounds(), juce::Rectangle<int> (0, 0, 785, 480));
        auto index = main.getIndexOfChildComponent (screen);
        EXPECT_GT (index, previousIndex);
        previousIndex = index;
    }

    struct Step
    {
        juce::uint32 code;
        juce::Component* screen;
        const char* title;
    };

    const Step steps[] = {
        { ScreenCode::welcome, main.getFrontPage(), "Welcome Screen" },
        { ScreenCode::forgottenPassword, main.getForgottenPasswordPage(), "Forgotton Password Screen" },
        { ScreenCode::offline, main.getOfflinePage(), "No connection found" },
        { ScreenCode::askServer, main.getLoginPage(), "Login Screen" },
    };

    for (auto& step : steps)
    {
        main.handleScreenCode (step.code);
        EXPECT_EQ (main.getCurrentScreen(), step.screen) << step.code;
        EXPECT_EQ (main.getTitleText(), step.title) << step.code;
        EXPECT_TRUE (step.screen->isVisible()) << step.code;
    }

    // The offline page was prepared before it was shown.
    EXPECT_FALSE (main.getOfflinePage()->getExplanationLabel().getText().isEmpty());

    // A screen's code reaches the main component through the message loop.
    main.getLoginPage()->getButtonBar().getButton (0)->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return main.getCurrentScreen() == main.getFrontPage(); }));
    main.getForgottenPasswordPage()->sendScreenCode (ScreenCode::offline);
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return main.getCurrentScreen() == main.getOfflinePage(); }));
}

TEST_F (MainComponentOnline, AskingTheServerDependsOnTheServerAndTheLogin)
{
    QuorvelanMainComponent main;
    auto& catalogue = ProductCatalogue::getInstance();

    // Logged in: the product status rather than the login page.
    main.handleScreenCode (ScreenCode::welcome);
    loggedIn = true;
    main.handleScreenCode (ScreenCode::askServer);
    EXPECT_EQ (main.getCurrentScreen(), static_cast<juce::Component*> (main.getProductStatusPage()));
    EXPECT_EQ (main.getTitleText(), "License Status Screen");

    // No server: both documents dropped, the screen stays.
    loggedIn = false;
    server.stop();
    catalogue.useComponentsXml (juce::parseXML ("<components/>"), true);
    catalogue.useComponentsXml (juce::parseXML ("<components/>"), false);
    main.handleScreenCode (ScreenCode::forgottenPassword);
    main.handleScreenCode (ScreenCode::askServer);
    EXPECT_EQ (main.getCurrentScreen(), main.getForgottenPasswordPage());
    EXPECT_EQ (main.getTitleText(), "Forgotton Password Screen");
    EXPECT_FALSE (catalogue.isOnline());
    EXPECT_FALSE (catalogue.hasOfflineComponents());
}

//==============================================================================
namespace
{
juce::File screensFolder()
{
    auto* chosen = std::getenv ("QUORVELAN_SCREENS");
    return juce::File (chosen != nullptr && *chosen != 0 ? juce::String (chosen) : juce::String ("/tmp/quorvelan-screens"));
}

void writeScreen (QuorvelanMainComponent& main, const juce::String& name)
{
    auto image = main.createComponentSnapshot (main.getLocalBounds());
    auto file = screensFolder().getChildFile (name + ".png");
    file.deleteFile();
    juce::FileOutputStream stream (file);
    ASSERT_TRUE (stream.openedOk()) << file.getFullPathName();
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, stream));
}

// The share of the area's pixels that differ from the backdrop alone.
double shareDrawnOver (QuorvelanMainComponent& main, juce::Rectangle<int> area)
{
    auto image = main.createComponentSnapshot (main.getLocalBounds());
    juce::Image backdrop (juce::Image::ARGB, main.getWidth(), main.getHeight(), true);
    {
        juce::Graphics g (backdrop);
        main.paint (g);
    }

    int differing = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            differing += image.getPixelAt (x, y) != backdrop.getPixelAt (x, y) ? 1 : 0;

    return differing / (double) (area.getWidth() * area.getHeight());
}
} // namespace

TEST (ScreenGallery, WritesEveryScreenInBothLanguages)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();
    ASSERT_TRUE (screensFolder().createDirectory());

    SettingsFiles::createSettingsFolder();
    ASSERT_TRUE (RememberedLogin::write ("demo@quorvelan.com", "demo1234"));

    auto& catalogue = ProductCatalogue::getInstance();
    auto repository = juce::File (catalogue.getOfflineRepositoryFolder());

    for (int language = 0; language < numLanguages; ++language)
    {
        setLanguage (language);
        auto suffix = juce::String ("-") + languageLocaleIds[language];
        QuorvelanMainComponent main;
        TestEnvironment::runFor (50);

        main.handleScreenCode (ScreenCode::welcome);
        writeScreen (main, "welcome" + suffix);
        EXPECT_GT (shareDrawnOver (main, { 67, 150, 651, 205 }), 0.5) << "the three boxes";

        main.handleScreenCode (ScreenCode::forgottenPassword);
        writeScreen (main, "forgotten-password" + suffix);

        // The login page is reached through the server check; show it directly here.
        main.switchTo ("Login Screen", main.getLoginPage());
        EXPECT_EQ (main.getLoginPage()->getEmailEditor().getText(), "demo@quorvelan.com");
        writeScreen (main, "login" + suffix);

        repository.deleteRecursively();
        catalogue.tryOfflineRepository();
        main.handleScreenCode (ScreenCode::offline);
        writeScreen (main, "offline-no-repository" + suffix);

        ASSERT_TRUE (repository.createDirectory());
        ASSERT_TRUE (repository.getChildFile ("components.xml").replaceWithText ("<components/>"));
        catalogue.tryOfflineRepository();
        main.handleScreenCode (ScreenCode::offline);
        writeScreen (main, "offline-with-repository" + suffix);
        EXPECT_TRUE (main.getOfflinePage()->getContinueButton().isVisible());
    }

    catalogue.dropOfflineComponents();
    setLanguage (0);
}
