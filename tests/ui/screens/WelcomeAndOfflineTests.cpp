#include <gtest/gtest.h>

#include "catalogue/ProductCatalogue.h"
#include "localisation/Languages.h"
#include "services/SettingsFiles.h"
#include "support/ModalDriver.h"
#include "support/ScreenCodeRecorder.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"
#include "ui/screens/FrontPageComponent.h"
#include "ui/screens/OfflineComponent.h"
#include "ui/screens/ScreenCode.h"

namespace
{
juce::File localFile()
{
    return SettingsFiles::getSettingsFile ("local");
}

juce::String languageInLocal()
{
    auto root = SettingsFiles::readXml (localFile());
    return root != nullptr ? root->getStringAttribute ("language") : juce::String();
}

int differingPixels (const juce::Image& a, const juce::Image& b)
{
    int count = 0;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            count += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;

    return count;
}
} // namespace

TEST (WelcomePage, TakesTheCurrentLanguageAndSwitchesIt)
{
    SettingsFiles::createSettingsFolder();
    setLanguage (1);
    localFile().deleteFile();

    FrontPageComponent page;
    page.setBounds (0, 0, 785, 480);

    EXPECT_EQ (page.getName(), "FrontPageComponent");
    EXPECT_EQ (page.getLanguageBox().getName(), "language");
    EXPECT_EQ (page.getLanguageBox().getNumItems(), 2);
    EXPECT_EQ (page.getLanguageBox().getItemText (0), "English");
    EXPECT_EQ (page.getLanguageBox().getItemId (0), 1);
    EXPECT_EQ (page.getLanguageBox().getItemText (1), "Spanish");
    EXPECT_EQ (page.getLanguageBox().getItemId (1), 2);
    EXPECT_FALSE (page.getLanguageBox().isTextEditable());
    EXPECT_EQ (page.getLanguageBox().getText(), "Spanish");
    EXPECT_EQ (page.getExistingUserButton().getBounds(), juce::Rectangle<int> (67, 150, 205, 205));
    EXPECT_EQ (page.getRegisterButton().getBounds(), juce::Rectangle<int> (290, 150, 205, 205));
    EXPECT_EQ (page.getDownloadButton().getBounds(), juce::Rectangle<int> (513, 150, 205, 205));
    EXPECT_EQ (page.getLanguageBox().getBounds(), juce::Rectangle<int> (313, 404, 157, 23));

    // The selection made at construction is handled later, once: "local" is rewritten.
    EXPECT_FALSE (localFile().exists()) << "not during construction";
    ASSERT_TRUE (TestEnvironment::runUntil ([]
                                            { return localFile().exists(); }));
    EXPECT_EQ (languageInLocal(), "Spanish");
    localFile().deleteFile();
    TestEnvironment::runFor (200);
    EXPECT_FALSE (localFile().exists()) << "only once";

    // Choosing English: the table, "local" and the big captions follow.
    auto spanish = page.createComponentSnapshot (page.getExistingUserButton().getBounds());
    page.getLanguageBox().setSelectedId (1, juce::sendNotification);
    ASSERT_TRUE (TestEnvironment::runUntil ([]
                                            { return localFile().exists(); }));
    EXPECT_EQ (languageInLocal(), "English");
    EXPECT_EQ (currentLanguageIndex, 0);
    EXPECT_EQ (TRANS ("BUT_LOGIN"), "Login");

    auto english = page.createComponentSnapshot (page.getExistingUserButton().getBounds());
    EXPECT_GT (differingPixels (spanish, english), 200) << "the captions are drawn in the new language";

    setLanguage (0);
}

TEST (WelcomePage, AnUnreadableLocalIsReplacedOnlyByTheCustomersPick)
{
    SettingsFiles::createSettingsFolder();
    ASSERT_TRUE (localFile().replaceWithText ("language=Spanish"));

    // The start leaves the file alone and takes the locale's language; the page's box then
    // selects that language, which is no choice of the customer's.
    {
        TestEnvironment::ScopedEnvironmentVariable locale ("LC_ALL", "es_ES.UTF-8");
        initLanguage();
    }

    ASSERT_EQ (currentLanguageIndex, 1);

    {
        FrontPageComponent page;
        TestEnvironment::runFor (200);

        EXPECT_EQ (page.getLanguageBox().getText(), "Spanish");
        EXPECT_EQ (TRANS ("OK"), "Aceptar");
        EXPECT_EQ (localFile().loadFileAsString(), "language=Spanish") << "the box's own selection writes nothing";

        // Picking a language is the customer's choice: it is written, and from then on every pick.
        page.getLanguageBox().setSelectedId (1, juce::sendNotification);
        ASSERT_TRUE (TestEnvironment::runUntil ([]
                                                { return languageInLocal() == "English"; }));
        EXPECT_EQ (currentLanguageIndex, 0);

        page.getLanguageBox().setSelectedId (2, juce::sendNotification);
        ASSERT_TRUE (TestEnvironment::runUntil ([]
                                                { return languageInLocal() == "Spanish"; }));
    }

    setLanguage (0);
}

TEST (WelcomePage, ExistingUserAndRegisterSendTheirCodes)
{
    setLanguage (0);
    FrontPageComponent page;
    ScreenCodeRecorder recorder (page);

    page.getExistingUserButton().triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return recorder.codes.size() == 1; }));
    page.getRegisterButton().triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return recorder.codes.size() == 2; }));

    EXPECT_EQ (recorder.codes, (std::vector<juce::uint32>{ ScreenCode::askServer, ScreenCode::registrationFromWelcome }));
}

namespace
{
class WelcomePageOnline : public ServerFixture
{
};
} // namespace

TEST_F (WelcomePageOnline, DownloadConnectsThenAsksForTheDemoList)
{
    setLanguage (0);
    server.setComponentsXml ("<components/>");
    StandInServer::Behaviour slow;
    slow.delayMs = 300;
    server.setBehaviour ("REQUEST_COMPONENTS", slow);

    FrontPageComponent page;
    ScreenCodeRecorder recorder (page);

    ModalDriver driver;
    bool connectingSeen = false;
    driver.whenModalAppears ([&] (juce::Component&)
                             {
                                 connectingSeen = true;
                                 EXPECT_TRUE (recorder.codes.empty()); },
                             [] (juce::Component& window)
                             { return window.getName() == "Connecting..."; });

    page.getDownloadButton().triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return ! recorder.codes.empty(); },
                                            30000));
    EXPECT_TRUE (connectingSeen);
    EXPECT_EQ (recorder.codes, std::vector<juce::uint32>{ ScreenCode::demoDownloads });
    EXPECT_EQ (server.getRequests().size(), 1u);

    // Also without a server: the connecting window runs, then code 9.
    server.stop();
    recorder.codes.clear();
    page.getDownloadButton().triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return ! recorder.codes.empty(); },
                                            30000));
    EXPECT_EQ (recorder.codes, std::vector<juce::uint32>{ ScreenCode::demoDownloads });
}

TEST (OfflinePage, ExplainsAndOffersWhatTheRepositoryAllows)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();
    setLanguage (0);

    auto& catalogue = ProductCatalogue::getInstance();
    auto repository = juce::File (catalogue.getOfflineRepositoryFolder());

    OfflineComponent page;
    EXPECT_EQ (page.getName(), "");
    EXPECT_EQ (page.getExplanationLabel().getName(), "explanationTextLabel");
    EXPECT_EQ (page.getRetryButton().getName(), "retryButton");
    EXPECT_EQ (page.getRetryButton().getTooltip(), "Retry");
    EXPECT_EQ (page.getContinueButton().getName(), "continueOfflineButton");
    EXPECT_EQ (page.getContinueButton().getTooltip(), "Continue in offline mode");

    // Without a repository: retry only.
    repository.deleteRecursively();
    catalogue.tryOfflineRepository();
    page.updateExplanation();
    EXPECT_FALSE (page.getContinueButton().isVisible());
    EXPECT_TRUE (page.getRetryButton().isVisible());
    EXPECT_EQ (page.getExplanationLabel().getText(), TRANS ("TXT_OFFLINE_EXPLANATION_NO_LOCAL_REPO"));
    EXPECT_TRUE (page.getExplanationLabel().getText().contains ("offline version"));

    // With one: both buttons and the other text.
    ASSERT_TRUE (repository.createDirectory());
    ASSERT_TRUE (repository.getChildFile ("components.xml").replaceWithText ("<components/>"));
    catalogue.tryOfflineRepository();
    page.updateExplanation();
    EXPECT_TRUE (page.getContinueButton().isVisible());
    EXPECT_EQ (page.getExplanationLabel().getText(), TRANS ("TXT_OFFLINE_EXPLANATION"));
    EXPECT_TRUE (page.getExplanationLabel().getText().contains ("offline mode"));

    // Halves round toward zero.
    page.setSize (785, 480);
    EXPECT_EQ (page.getExplanationLabel().getBounds(), juce::Rectangle<int> (50, 100, 685, 100));
    EXPECT_EQ (page.getRetryButton().getBounds(), juce::Rectangle<int> (142, 350, 200, 28));
    EXPECT_EQ (page.getContinueButton().getBounds(), juce::Rectangle<int> (442, 350, 200, 28));
    page.setSize (800, 480);
    EXPECT_EQ (page.getRetryButton().getBounds(), juce::Rectangle<int> (150, 350, 200, 28));
    EXPECT_EQ (page.getContinueButton().getBounds(), juce::Rectangle<int> (450, 350, 200, 28));

    ScreenCodeRecorder recorder (page);
    page.getRetryButton().triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return recorder.codes.size() == 1; }));
    page.getContinueButton().triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return recorder.codes.size() == 2; }));
    EXPECT_EQ (recorder.codes, (std::vector<juce::uint32>{ ScreenCode::updateCheck, ScreenCode::demoDownloads }));

    catalogue.dropOfflineComponents();
}
