#include <gtest/gtest.h>

#include "catalogue/ServerRequest.h"
#include "localisation/Languages.h"
#include "support/ModalDriver.h"
#include "support/ScreenCodeRecorder.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"
#include "ui/screens/ForgottenPasswordComponent.h"
#include "ui/screens/ScreenCode.h"

namespace
{
const juce::String confirmation = "Reset Password / Your password has been reset and has been emailed to you. Please note that if you request multiple password resets in one day your password will only be reset once and you will only receive one email.";
const juce::String communicationError = "Communication Error / There was a communication error with the Quorvelan server. Please try again or if the problem persists please contact Quorvelan support.";

class ForgottenPasswordOnline : public ServerFixture
{
protected:
    void SetUp() override
    {
        ServerFixture::SetUp();
        setLanguage (0);
    }

    void TearDown() override
    {
        ServerRequest::setMessageThreadTimeoutMs (ServerRequest::defaultMessageThreadTimeoutMs);
        ServerFixture::TearDown();
    }

    // Types the address, clicks the reset button, answers the alert; returns "title / message".
    juce::String requestReset (ForgottenPasswordComponent& page, const juce::String& email)
    {
        ModalDriver driver;
        driver.pressWhenModalAppears ("OK");
        page.getEmailEditor().setText (email);

        EXPECT_TRUE (ModalDriver::clickAndWait (page.getRequestButton()));
        return driver.getSeenAlerts().joinIntoString ("\n");
    }
};
} // namespace

TEST (ForgottenPasswordPage, ChildrenAndLayout)
{
    setLanguage (0);
    ForgottenPasswordComponent page;
    page.setBounds (0, 0, 785, 480);

    EXPECT_EQ (page.getName(), "ForgottenPasswordComponent");
    EXPECT_TRUE (page.isAlwaysOnTop());
    EXPECT_FALSE (page.isOpaque());

    juce::StringArray names;
    for (int i = 0; i < 4; ++i)
        names.add (page.getChildComponent (i)->getName());
    EXPECT_EQ (names.joinIntoString (","), "forgottenPasswordLabel,Email address,requestButton,emailLabel");

    auto* description = dynamic_cast<juce::Label*> (page.getChildComponent (0));
    ASSERT_NE (description, nullptr);
    EXPECT_EQ (description->getText(), juce::String ("If you have forgotten your password, you may reset it by clicking below. Your reset password will be emailed to your registered email address.") + "\n");
    EXPECT_EQ (description->getBounds(), juce::Rectangle<int> (150, 150, 450, 56));
    EXPECT_EQ (page.getChildComponent (3)->getBounds(), juce::Rectangle<int> (150, 228, 150, 24));
    EXPECT_EQ (page.getEmailEditor().getBounds(), juce::Rectangle<int> (322, 228, 300, 24));
    EXPECT_EQ (page.getRequestButton().getBounds(), juce::Rectangle<int> (322, 274, 150, 24));

    for (int i = 0; i < 6; ++i)
        EXPECT_EQ (page.getButtonBar().getButton (i)->isVisible(), i == 0 || i == 2) << i;
}

TEST_F (ForgottenPasswordOnline, PostsTheFormAndConfirmsWhateverTheServerReplies)
{
    ForgottenPasswordComponent page;

    const std::pair<juce::String, std::string> bodies[] = {
        { "", "ACTION=RESET_PASSWORD&email=" },
        { "a+b@c.d", "ACTION=RESET_PASSWORD&email=a%2bb%40c.d" },
        { "a b", "ACTION=RESET_PASSWORD&email=a%20b" },
        { juce::String::fromUTF8 ("\xc3\xb1"), "ACTION=RESET_PASSWORD&email=%c3%b1" },
    };

    for (auto& [email, body] : bodies)
    {
        server.clearRequests();
        EXPECT_EQ (requestReset (page, email), confirmation) << email;

        auto requests = server.getRequests();
        ASSERT_EQ (requests.size(), 1u) << email;
        EXPECT_EQ (requests[0].method, "POST");
        EXPECT_EQ (requests[0].path, "/plugin_manager.htm");
        EXPECT_EQ (requests[0].rawQuery, "");
        EXPECT_EQ (requests[0].body, body);
        EXPECT_EQ (requests[0].getHeader ("Content-Type").rfind ("application/x-www-form-urlencoded", 0), 0u);
        EXPECT_EQ (page.getEmailEditor().getText(), email) << "the address stays";
    }

    // The reply is not examined: an error envelope, a server error and an empty body all confirm.
    for (auto reply : { StandInServer::Reply{ 200, "<quordata response=\"ERROR\"/>" },
                        StandInServer::Reply{ 500, "Internal error" },
                        StandInServer::Reply{ 200, "" } })
    {
        server.setReply ("RESET_PASSWORD", reply);
        EXPECT_EQ (requestReset (page, "demo@quorvelan.com"), confirmation) << reply.status << " " << reply.body;
    }
}

TEST_F (ForgottenPasswordOnline, NoServerOrAStalledOneIsACommunicationError)
{
    ForgottenPasswordComponent page;

    // Nothing arrives: given up after the bounded wait, not waited on for ever.
    ServerRequest::setMessageThreadTimeoutMs (1000);
    StandInServer::Behaviour stalled;
    stalled.delayMs = 60000;
    server.setBehaviour ("RESET_PASSWORD", stalled);
    EXPECT_EQ (requestReset (page, "demo@quorvelan.com"), communicationError);
    EXPECT_EQ (server.getRequests().size(), 1u) << "the request reached the server";

    server.stop();
    EXPECT_EQ (requestReset (page, "demo@quorvelan.com"), communicationError);
}

TEST_F (ForgottenPasswordOnline, BackAsksForTheServerCheck)
{
    ForgottenPasswordComponent page;
    ScreenCodeRecorder recorder (page);

    page.getButtonBar().getButton (0)->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return ! recorder.codes.empty(); }));
    EXPECT_EQ (recorder.codes, std::vector<juce::uint32>{ ScreenCode::askServer });
    EXPECT_TRUE (server.getRequests().empty());
}

// Runs only in a child process: quitting ends the message loop for good.
TEST (ForgottenPasswordPage, QuitInChild)
{
    if (! TestEnvironment::isChildProcess())
        GTEST_SKIP() << "runs inside ForgottenPasswordPage.QuitEndsTheMessageLoop";

    ForgottenPasswordComponent page;
    page.getButtonBar().getButton (2)->triggerClick();
    TestEnvironment::runUntil ([]
                               { return juce::MessageManager::getInstance()->hasStopMessageBeenSent(); });
    EXPECT_TRUE (juce::MessageManager::getInstance()->hasStopMessageBeenSent());
}

TEST (ForgottenPasswordPage, QuitEndsTheMessageLoop)
{
    auto result = TestEnvironment::runTestInChildProcess ("ForgottenPasswordPage.QuitInChild");
    EXPECT_EQ (result.exitCode, 0) << result.output;
    EXPECT_TRUE (result.output.contains ("[  PASSED  ] 1 test")) << result.output;
}
