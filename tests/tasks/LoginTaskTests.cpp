#include <gtest/gtest.h>

#include "catalogue/ProductCatalogue.h"
#include "localisation/Languages.h"
#include "support/ModalDriver.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"
#include "tasks/LoginThread.h"

namespace
{
class LoginOnline : public ServerFixture
{
protected:
    void SetUp() override
    {
        ServerFixture::SetUp();
        setLanguage (0);
        server.addAccount ({ "demo@quorvelan.com", "demo1234", "17", "Demo Customer", "Quorvelan Demo" });
        server.setComponentsXml ("<components/>");

        // The catalogue starts online, so a drop shows.
        ProductCatalogue::getInstance().useComponentsXml (juce::parseXML ("<components/>"), true);
    }

    // Logs in, answering every alert with "OK"; returns the result and the alerts seen.
    bool login (const juce::String& email, const juce::String& password, juce::StringArray& alerts)
    {
        ModalDriver driver;
        for (int i = 0; i < 3; ++i)
            driver.pressWhenModalAppears ("OK");

        LoginThread task (email, password);
        auto result = task.login();
        TestEnvironment::runFor (50);

        alerts = driver.getSeenAlerts();

        return result;
    }
};
} // namespace

TEST_F (LoginOnline, SendsTheExactBytesAndAcceptsAKnownAccount)
{
    juce::StringArray alerts;
    EXPECT_TRUE (login ("demo@quorvelan.com", "demo1234", alerts));
    EXPECT_TRUE (alerts.isEmpty()) << alerts.joinIntoString ("\n");
    EXPECT_TRUE (ProductCatalogue::getInstance().isOnline());

    server.clearRequests();
    server.setReply ("REQUEST_LICENCE", { 200, "<quordata response=\"OK\"/>" });
    EXPECT_TRUE (login (juce::String::fromUTF8 ("a b+c@d\t_-.*!'()~\xc3\xb1"), "p&w=d", alerts));

    auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 1u);
    EXPECT_EQ (requests[0].method, "GET");
    EXPECT_EQ (requests[0].path, "/plugin_manager.htm");
    EXPECT_EQ (requests[0].rawQuery, "ACTION=REQUEST_LICENCE&email=a%20b%2bc%40d%09_-.*!'()%7e%c3%b1&password=p%26w%3dd");
}

TEST_F (LoginOnline, ReplyEnvelopeDecides)
{
    struct Case
    {
        const char* reply;
        bool accepted;
        const char* alert;
        bool catalogueDropped;
    };

    const Case cases[] = {
        { "<QUORDATA RESPONSE=\"OK\"><USER ID=\"1\"/></QUORDATA>", true, "", false },
        { "<quordata response=\"OK\"/>", true, "", false },
        { "<quordata response=\"ok\"/>", false, "Login / The email and/or password you entered was incorrect. Please try again.", false },
        { "<quordata response=\"ERROR\"/>", false, "Login / The email and/or password you entered was incorrect. Please try again.", false },
        { "<html>Not found</html>", false, "Login / XML Error. Please contact Quorvelan.", true },
        { "this is not xml", false, "Login / XML Error. Please contact Quorvelan.", true },
        { "", false, "Login / XML Error. Please contact Quorvelan.", true },
    };

    for (auto& c : cases)
    {
        ProductCatalogue::getInstance().useComponentsXml (juce::parseXML ("<components/>"), true);
        server.setReply ("REQUEST_LICENCE", { 200, c.reply });

        juce::StringArray alerts;
        EXPECT_EQ (login ("demo@quorvelan.com", "demo1234", alerts), c.accepted) << c.reply;
        EXPECT_EQ (alerts.joinIntoString ("\n"), c.alert) << c.reply;
        EXPECT_EQ (ProductCatalogue::getInstance().isOnline(), ! c.catalogueDropped) << c.reply;
    }

    // The real server's refusal of an unknown account.
    server.clearScripts();
    juce::StringArray alerts;
    EXPECT_FALSE (login ("demo@quorvelan.com", "wrong", alerts));
    EXPECT_EQ (alerts, juce::StringArray ("Login / The email and/or password you entered was incorrect. Please try again."));
}

TEST_F (LoginOnline, NoServerAndNoInput)
{
    juce::StringArray alerts;

    EXPECT_FALSE (login ("demo@quorvelan.com", "", alerts));
    EXPECT_FALSE (login ("", "demo1234", alerts));
    EXPECT_EQ (alerts.joinIntoString ("|"), "Login / Please enter a valid email address and password");
    EXPECT_TRUE (server.getRequests().empty()) << "nothing is sent";

    server.stop();
    EXPECT_FALSE (login ("demo@quorvelan.com", "demo1234", alerts));
    EXPECT_EQ (alerts.joinIntoString ("|"), "Login / Cannot connect to the Quorvelan server. Please ensure your internet connection is functioning properly.");
    EXPECT_FALSE (ProductCatalogue::getInstance().isOnline());
}

TEST_F (LoginOnline, CancelAbortsTheRequestAndReportsIt)
{
    StandInServer::Behaviour slow;
    slow.delayMs = 600000; // were the request waited for, the test would never end
    server.setBehaviour ("REQUEST_LICENCE", slow);

    ModalDriver driver;
    juce::String taskTitle;
    driver.whenModalAppears ([&] (juce::Component& window)
                             {
                                 taskTitle = ModalDriver::getTitle (window);
                                 juce::Timer::callAfterDelay (300, [&window] { ModalDriver::pressButton (window, "Cancel"); }); },
                             [] (juce::Component& window)
                             { return ModalDriver::findButton (window, "Cancel") != nullptr; });
    driver.pressWhenModalAppears ("OK");

    LoginThread task ("demo@quorvelan.com", "demo1234");
    EXPECT_FALSE (task.login());

    EXPECT_EQ (taskTitle, "Logging in...");
    EXPECT_EQ (driver.seenMessages, juce::StringArray ("Login cancelled"));
    EXPECT_FALSE (task.isLoggedIn());
    EXPECT_TRUE (ProductCatalogue::getInstance().isOnline()) << "a cancel drops nothing";
}
