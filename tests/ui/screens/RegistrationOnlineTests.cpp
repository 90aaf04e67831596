#include <gtest/gtest.h>

#include "../widgets/WidgetTestSupport.h"
#include "RegistrationTestSupport.h"
#include "catalogue/ServerRequest.h"
#include "localisation/Languages.h"
#include "services/LoginState.h"
#include "support/ServerFixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include "ui/screens/FrontPageComponent.h"
#include "ui/screens/RegistrationForm.h"

using namespace RegistrationTestSupport;

namespace
{
const char* const accountQuery = "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS&email=zo%c3%ab%2breg%40example.com&emailconf=zo%c3%ab%2breg%40example.com&password=p%26ss%20w%3drd%2b9&passwordconf=p%26ss%20w%3drd%2b9";
const char* const accountPairs = "&email=zo%c3%ab%2breg%40example.com&emailconf=zo%c3%ab%2breg%40example.com&password=p%26ss%20w%3drd%2b9&passwordconf=p%26ss%20w%3drd%2b9";
const char* const personalPairs = "&first_name=Jos%c3%a9%20Mar%c3%ada&last_name=O'Brien-N%c3%ba%c3%b1ez&company=Smith%20%26%20Sons%20%2b%20Co%20%3d%20Ltd.&address_1=%2012%20Rue%20de%20l'%c3%89glise%20&address_2=S%c3%a3o%20Paulo&address_3=&postcode=AB1%202CD&country=Trinidad%20%26%20Tobago";

const char* const communicationError = "Communication Error";
const char* const communicationErrorText = "There was a communication error with the Quorvelan server. Please try again or if the problem persists please contact Quorvelan support.";
const char* const errorsIntro = "The following registration errors were detected. Please correct and submit the form again. \n\n";

class RegistrationOnline : public ServerFixture
{
protected:
    void SetUp() override
    {
        ServerFixture::SetUp();
        setLanguage (0);
        window = std::make_unique<RegistrationWindow>();
        server.clearRequests();
    }

    void TearDown() override
    {
        window.reset();
        ServerFixture::TearDown();
        setLanguage (0);
    }

    RegistrationWindow& w() { return *window; }

    // Page 1 as the customer fills it in from the welcome page.
    void fillPage1 (const juce::String& email, const juce::String& password)
    {
        w().sendCode (ScreenCode::registrationFromWelcome);
        w().type (w().page1(), "email", email);
        w().type (w().page1(), "emailConf", email);
        w().type (w().page1(), "password", password);
        w().type (w().page1(), "passwordConf", password);
    }

    void fillPage2()
    {
        const std::pair<const char*, const char*> entries[] = {
            { "firstname", "Jos\xc3\xa9 Mar\xc3\xad"
                           "a" },
            { "surname", "O'Brien-N\xc3\xba\xc3\xb1"
                         "ez" },
            { "company", "Smith & Sons + Co = Ltd." },
            { "address1", " 12 Rue de l'\xc3\x89glise " },
            { "address2", "S\xc3\xa3o Paulo" },
            { "address3", "" },
            { "postcode", "AB1 2CD" },
        };

        for (auto& [name, text] : entries)
            w().type (w().page2(), name, juce::String::fromUTF8 (text));

        w().chooseCountry ("Trinidad & Tobago");
    }

    // Page 1 accepted by the server, page 2 shown.
    void reachPage2()
    {
        fillPage1 (juce::String::fromUTF8 ("zo\xc3\xab+reg@example.com"), "p&ss w=rd+9");
        auto alerts = w().pressNext (w().page1());
        ASSERT_TRUE (alerts.empty()) << alerts[0].title << ": " << alerts[0].message;
        ASSERT_TRUE (TestEnvironment::runUntil ([this]
                                                { return w().main->getCurrentScreen() == &w().page2(); }));
        fillPage2();
    }

    std::vector<std::string> queries()
    {
        std::vector<std::string> result;
        for (auto& request : server.getRequests())
            result.push_back (request.method + " " + request.rawQuery);
        return result;
    }

    static std::string get (const std::string& query) { return "GET " + query; }

    std::unique_ptr<RegistrationWindow> window;
};

// Listens on the port but never accepts: once its one-place queue is taken by a connection of its
// own, the handshake of every further client goes unanswered.
class FullQueueListener
{
public:
    explicit FullQueueListener (int port)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons ((uint16_t) port);
        address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);

        listener = ::socket (AF_INET, SOCK_STREAM, 0);
        const int reuse = 1;
        ::setsockopt (listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof (reuse));
        listening = ::bind (listener, (sockaddr*) &address, sizeof (address)) == 0 && ::listen (listener, 0) == 0;

        for (auto& filler : fillers)
        {
            filler = ::socket (AF_INET, SOCK_STREAM, 0);
            ::fcntl (filler, F_SETFL, O_NONBLOCK);
            ::connect (filler, (sockaddr*) &address, sizeof (address));
        }
    }

    ~FullQueueListener()
    {
        for (auto filler : fillers)
            ::close (filler);
        ::close (listener);
    }

    bool listening = false;

private:
    int listener = -1;
    int fillers[3]{};
};

juce::String describe (const std::vector<SeenAlert>& alerts)
{
    juce::StringArray lines;
    for (auto& alert : alerts)
        lines.add (alert.title + " / " + alert.message + " [" + alert.buttons + "]");
    return lines.joinIntoString ("\n");
}
} // namespace

TEST_F (RegistrationOnline, ThreeRequestsCarryTheExactBytesAndSuccessLeadsToTheWelcomePage)
{
    reachPage2();
    EXPECT_EQ (w().page2().getAccountPairs(), accountPairs);
    EXPECT_EQ (w().recorder.codes, std::vector<int>{ ScreenCode::registrationPage2 });

    w().recorder.codes.clear();
    loggedIn = false;
    auto alerts = w().pressNext (w().page2());
    EXPECT_EQ (describe (alerts), "Registration Successful / Your Quorvelan account has been created. You can now log in: click EXISTING USER on the welcome screen and enter your email address and password. [OK]");
    EXPECT_EQ (w().recorder.codes, std::vector<int>{ ScreenCode::welcome });
    EXPECT_TRUE (TestEnvironment::runUntil ([this]
                                            { return w().main->getCurrentScreen() == static_cast<juce::Component*> (w().main->getFrontPage()); }));
    EXPECT_EQ (w().main->getTitleText(), "Welcome Screen");
    EXPECT_FALSE (loggedIn);

    const std::string registration = std::string (accountPairs) + personalPairs;
    EXPECT_EQ (w().page2().getRegistrationPairs(), juce::String (registration));
    EXPECT_EQ (queries(), (std::vector<std::string>{ get (accountQuery),
                                                     get ("ACTION=REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS" + registration),
                                                     get ("ACTION=ADD_USER_ACCOUNT" + registration) }));

    // The new account logs in; the entries stay for a later visit.
    server.clearRequests();
    auto login = ServerRequest ("REQUEST_LICENCE").withParameter ("email", juce::String::fromUTF8 ("zo\xc3\xab+reg@example.com")).withParameter ("password", "p&ss w=rd+9").readXml();
    ASSERT_NE (login, nullptr);
    EXPECT_EQ (login->getStringAttribute ("response"), "OK");
    EXPECT_EQ (w().editor (w().page1(), "password").getText(), "p&ss w=rd+9");
    EXPECT_EQ (w().editor (w().page2(), "address1").getText(), juce::String::fromUTF8 (" 12 Rue de l'\xc3\x89glise "));
    EXPECT_EQ (w().countries().getText(), "Trinidad & Tobago");
}

TEST_F (RegistrationOnline, AnEmptyFormIsSentAsItStandsAndTheServerDecides)
{
    w().sendCode (ScreenCode::registrationFromWelcome);
    auto alerts = w().pressNext (w().page1());
    EXPECT_EQ (queries(), std::vector<std::string>{ get ("ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS&email=&emailconf=&password=&passwordconf=") });
    ASSERT_EQ (alerts.size(), 1u);
    EXPECT_EQ (alerts[0].title, "Registration Errors");
    EXPECT_TRUE (alerts[0].message.startsWith (errorsIntro + juce::String ("The email address you have entered is not valid.\n\n")))
        << alerts[0].message;
    EXPECT_EQ (w().main->getCurrentScreen(), &w().page1());

    // "--Select--" sends an empty country and the server's errors show under page 2's title.
    server.setReply ("REGISTER_VERIFY_ACCOUNT_DETAILS", { 200, "<quordata response=\"OK\"/>" });
    w().pressNext (w().page1());
    ASSERT_TRUE (TestEnvironment::runUntil ([this]
                                            { return w().main->getCurrentScreen() == &w().page2(); }));
    server.clearRequests();
    alerts = w().pressNext (w().page2());
    ASSERT_EQ (server.getRequests().size(), 1u);
    EXPECT_TRUE (juce::String (server.getRequests()[0].rawQuery).endsWith ("&postcode=&country="));
    ASSERT_EQ (alerts.size(), 1u);
    EXPECT_EQ (alerts[0].title, "Registration Errors");
    EXPECT_TRUE (alerts[0].message.contains ("Country missing.\n\n"));
    EXPECT_EQ (w().main->getCurrentScreen(), &w().page2());
}

TEST_F (RegistrationOnline, ErrorRepliesShowTheIntroThenEachTextInOrder)
{
    const std::pair<const char*, const char*> keys[] = {
        { "INVALID_EMAIL", "The email address you have entered is not valid." },
        { "EMAIL_MISMATCH", "The email addresses entered in the 'email' and 'confirm email' fields do not match." },
        { "PASSWORD_LESS_THAN_EIGHT_CHARS_ONE_NUMBER", "Passwords must be at least eight (8) characters in length and include at least one (1) number character." },
        { "PASSWORD_MISMATCH", "The passwords entered in the 'password' and 'confirm password' fields do not match." },
        { "EMAIL_ALREADY_REGISTERED", "This email address is already registered with Quorvelan. Please log in as an existing user, or reset your password if you have forgotten it." },
        { "INVALID_FIRST_NAME", "First name missing." },
        { "INVALID_LAST_NAME", "Last name missing." },
        { "INVALID_ADDRESS_1", "Address missing." },
        { "INVALID_POSTCODE", "Postcode missing" },
        { "INVALID_COUNTRY", "Country missing." },
    };

    w().sendCode (ScreenCode::registrationFromWelcome);

    auto expectErrors = [this] (const std::string& reply, const juce::String& message)
    {
        server.setReply ("REGISTER_VERIFY_ACCOUNT_DETAILS", { 200, reply });
        auto alerts = w().pressNext (w().page1());
        ASSERT_EQ (alerts.size(), 1u) << reply;
        EXPECT_EQ (alerts[0].title, "Registration Errors") << reply;
        EXPECT_EQ (alerts[0].message, message) << reply;
        EXPECT_EQ (alerts[0].buttons, "OK") << reply;
    };

    for (auto& [key, text] : keys)
        expectErrors (std::string ("<quordata response=\"ERROR\"><error>") + key + "</error></quordata>",
                      errorsIntro + juce::String (text) + "\n\n");

    expectErrors ("<QUORDATA RESPONSE=\"ERROR\"><ERROR>PASSWORD_MISMATCH</ERROR><error>INVALID_EMAIL</error><other>INVALID_COUNTRY</other></QUORDATA>",
                  errorsIntro + juce::String ("The passwords entered in the 'password' and 'confirm password' fields do not match.\n\nThe email address you have entered is not valid.\n\n"));
    expectErrors ("<quordata response=\"ERROR\"/>", errorsIntro);
    expectErrors ("<?xml version=\"1.0\"?><!-- <a><b> --><quordata response=\"ERROR\"><error note='a/>b'>INVALID_EMAIL</error></quordata>",
                  errorsIntro + juce::String ("The email address you have entered is not valid.\n\n"));
    expectErrors ("<quordata response=\"ERROR\"><error>Your card was <b>declined</b></error></quordata>",
                  errorsIntro + juce::String ("Your card was declined\n\n"));

    EXPECT_EQ (w().main->getCurrentScreen(), &w().page1());
    EXPECT_TRUE (w().recorder.codes.empty());

    // Spanish, once.
    window.reset();
    setLanguage (1);
    window = std::make_unique<RegistrationWindow>();
    w().sendCode (ScreenCode::registrationFromWelcome);
    server.setReply ("REGISTER_VERIFY_ACCOUNT_DETAILS", { 200, "<quordata response=\"ERROR\"><error>INVALID_EMAIL</error></quordata>" });
    auto alerts = w().pressNext (w().page1());
    ASSERT_EQ (alerts.size(), 1u);
    EXPECT_EQ (alerts[0].title, juce::translate ("LAB_REGISTRATION_ERRORS"));
    EXPECT_NE (alerts[0].title, "Registration Errors");
    EXPECT_EQ (alerts[0].message, juce::translate ("MSG_REGISTRATION_ERRORS_TEXT") + "\n\n" + juce::translate ("INVALID_EMAIL") + "\n\n");
    EXPECT_FALSE (alerts[0].message.contains ("not valid"));
    EXPECT_EQ (alerts[0].buttons, "Aceptar");

    // Without a string table the keys themselves show, each page with its own title key.
    window.reset();
    window = std::make_unique<RegistrationWindow>();
    juce::LocalisedStrings::setCurrentMappings (nullptr);
    server.clearScripts();
    server.setReply ("REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS", { 200, "<quordata response=\"ERROR\"><error>INVALID_COUNTRY</error></quordata>" });
    fillPage1 ("keys@example.com", "abcdefg1");
    EXPECT_EQ (describe (w().pressNext (w().page1())), "");
    ASSERT_TRUE (TestEnvironment::runUntil ([this]
                                            { return w().main->getCurrentScreen() == &w().page2(); }));
    EXPECT_EQ (describe (w().pressNext (w().page2())), "MSG_REGISTRATION_ERRORS / MSG_REGISTRATION_ERRORS_TEXT\n\nINVALID_COUNTRY\n\n [OK]");

    w().pressBack (w().page2());
    server.setReply ("REGISTER_VERIFY_ACCOUNT_DETAILS", { 200, "<quordata response=\"ERROR\"><error>INVALID_EMAIL</error></quordata>" });
    EXPECT_EQ (describe (w().pressNext (w().page1())), "LAB_REGISTRATION_ERRORS / MSG_REGISTRATION_ERRORS_TEXT\n\nINVALID_EMAIL\n\n [OK]");
}

TEST_F (RegistrationOnline, NoUsableReplyIsACommunicationErrorAndStopsThere)
{
    const std::pair<const char*, std::string> replies[] = {
        { "lower-case ok", "<quordata response=\"ok\"/>" },
        { "no response", "<quordata/>" },
        { "another root", "<reply response=\"OK\"/>" },
        { "not XML", "OK" },
        { "empty", "" },
        { "nested too deep to read", []
          {
              std::string deep;
              for (int i = 0; i < 60000; ++i)
                  deep += "<quordata response=\"OK\">";
              return deep;
          }() },
    };

    const auto expected = juce::String (communicationError) + " / " + communicationErrorText + " [OK]";

    // Page 1.
    fillPage1 ("ann@example.com", "abcdefg1");
    for (auto& [label, reply] : replies)
    {
        server.clearRequests();
        server.setReply ("REGISTER_VERIFY_ACCOUNT_DETAILS", { 200, reply });
        EXPECT_EQ (describe (w().pressNext (w().page1())), expected) << label;
        EXPECT_EQ (server.getRequests().size(), 1u) << label;
        EXPECT_TRUE (w().recorder.codes.empty()) << label;
    }

    EXPECT_EQ (w().page2().getAccountPairs(), "");

    // Page 2: no "ADD_USER_ACCOUNT" after an unusable check.
    server.clearScripts();
    w().pressNext (w().page1());
    ASSERT_TRUE (TestEnvironment::runUntil ([this]
                                            { return w().main->getCurrentScreen() == &w().page2(); }));
    fillPage2();

    for (auto& [label, reply] : replies)
    {
        server.clearRequests();
        server.setReply ("REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS", { 200, reply });
        EXPECT_EQ (describe (w().pressNext (w().page2())), expected) << label;
        ASSERT_EQ (server.getRequests().size(), 1u) << label;
        EXPECT_EQ (w().main->getCurrentScreen(), &w().page2()) << label;
    }

    // A refused connection: the same alert on both pages, nothing further.
    server.stop();
    EXPECT_EQ (describe (w().pressNext (w().page2())), expected);
    w().pressBack (w().page2());
    EXPECT_EQ (describe (w().pressNext (w().page1())), expected);
    EXPECT_EQ (w().main->getCurrentScreen(), &w().page1());
    EXPECT_EQ (w().recorder.codes, (std::vector<int>{ ScreenCode::registrationPage2, ScreenCode::registrationFromWelcome }));
    EXPECT_EQ (w().editor (w().page1(), "email").getText(), "ann@example.com");
}

TEST_F (RegistrationOnline, AnAccountNotCreatedShowsTheFailedAlertAndPage2Stays)
{
    reachPage2();

    struct Case
    {
        const char* label;
        StandInServer::Reply reply;
        StandInServer::Behaviour behaviour;
    };

    const Case cases[] = {
        { "dropped", {}, { StandInServer::Delivery::dropConnection } },
        { "refused", { 200, "<quordata response=\"ERROR\"><error>EMAIL_ALREADY_REGISTERED</error></quordata>" }, {} },
        { "another root", { 200, "<other response=\"OK\"/>" }, {} },
        { "server error", { 500, "Internal error" }, {} },
    };

    for (auto& c : cases)
    {
        server.clearRequests();
        server.setReply ("ADD_USER_ACCOUNT", c.reply);
        server.setBehaviour ("ADD_USER_ACCOUNT", c.behaviour);
        w().recorder.codes.clear();

        EXPECT_EQ (describe (w().pressNext (w().page2())), "MSG_REGISTRATION_FAILED / MSG_REGISTRATION_FAILED_TEXT [OK]") << c.label;
        EXPECT_EQ (server.getRequests().size(), 2u) << c.label;
        EXPECT_EQ (w().main->getCurrentScreen(), &w().page2()) << c.label;
        EXPECT_TRUE (w().recorder.codes.empty()) << c.label;
        EXPECT_EQ (w().countries().getText(), "Trinidad & Tobago") << c.label;
    }
}

TEST_F (RegistrationOnline, ASilentServerEndsInTheFailureAlertsInsteadOfFreezing)
{
    // The server takes every connection and says nothing for far longer than the wait allowed; a
    // wait without a bound would end in its late, valid reply.
    const auto previous = ServerRequest::getMessageThreadTimeoutMs();
    ServerRequest::setMessageThreadTimeoutMs (2000);
    reachPage2();

    const StandInServer::Behaviour silent{ StandInServer::Delivery::whole, 0, 30000 };
    const auto expected = juce::String (communicationError) + " / " + communicationErrorText + " [OK]";

    server.setBehaviour ("ADD_USER_ACCOUNT", silent);
    EXPECT_EQ (describe (w().pressNext (w().page2())), "MSG_REGISTRATION_FAILED / MSG_REGISTRATION_FAILED_TEXT [OK]");

    server.setBehaviour ("REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS", silent);
    EXPECT_EQ (describe (w().pressNext (w().page2())), expected);
    EXPECT_EQ (w().main->getCurrentScreen(), &w().page2());

    w().pressBack (w().page2());
    server.setBehaviour ("REGISTER_VERIFY_ACCOUNT_DETAILS", silent);
    EXPECT_EQ (describe (w().pressNext (w().page1())), expected);
    EXPECT_EQ (w().main->getCurrentScreen(), &w().page1());

    server.stop();

    // The account was never made: one of each check and one attempt to create it after page 1.
    EXPECT_EQ (server.getRequests().size(), 5u);

    // A server that never takes the connection.
    {
        FullQueueListener unresponsive (getProgramPort());
        ASSERT_TRUE (unresponsive.listening);
        EXPECT_EQ (describe (w().pressNext (w().page1())), expected);
    }

    ServerRequest::setMessageThreadTimeoutMs (previous);
}

TEST_F (RegistrationOnline, EntriesStayAndBackThenNextChecksPage1Again)
{
    auto settings = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile ("Quorvelan");
    auto listing = [&settings]
    {
        juce::StringArray names;
        for (auto& entry : juce::RangedDirectoryIterator (settings.getParentDirectory(), true, "*", juce::File::findFilesAndDirectories))
            names.add (entry.getFile().getFullPathName() + " " + juce::String (entry.getFileSize()));
        names.sort (false);
        return names;
    };
    const auto before = listing();

    // Accepted before the main component linked the pages: nothing is written through the
    // missing link, and page 2 is still asked for.
    server.setReply ("REGISTER_VERIFY_ACCOUNT_DETAILS", { 200, "<quordata response=\"OK\"/>" });
    ASSERT_EQ (w().page1().getPersonalDetailsPage(), nullptr);
    EXPECT_EQ (describe (w().pressNext (w().page1())), "");
    ASSERT_TRUE (TestEnvironment::runUntil ([this]
                                            { return w().main->getCurrentScreen() == &w().page2(); }));
    EXPECT_EQ (w().page2().getAccountPairs(), "");
    server.clearScripts();

    reachPage2();
    const auto firstPairs = w().page2().getAccountPairs();

    // Back shows page 1 with its entries; next checks them again and replaces the pairs.
    w().pressBack (w().page2());
    EXPECT_EQ (w().main->getCurrentScreen(), &w().page1());
    EXPECT_EQ (w().editor (w().page1(), "emailConf").getText(), juce::String::fromUTF8 ("zo\xc3\xab+reg@example.com"));
    w().type (w().page1(), "email", "other@example.com");
    w().type (w().page1(), "emailConf", "other@example.com");
    server.clearRequests();
    EXPECT_EQ (describe (w().pressNext (w().page1())), "");
    ASSERT_EQ (server.getRequests().size(), 1u);
    ASSERT_TRUE (TestEnvironment::runUntil ([this]
                                            { return w().main->getCurrentScreen() == &w().page2(); }));
    EXPECT_NE (w().page2().getAccountPairs(), firstPairs);
    EXPECT_TRUE (w().page2().getAccountPairs().startsWith ("&email=other%40example.com&emailconf=other%40example.com&password="));

    // After an error alert and after success every entry is still there.
    server.setReply ("REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS", { 200, "<quordata response=\"ERROR\"><error>INVALID_POSTCODE</error></quordata>" });
    w().pressNext (w().page2());
    server.clearScripts();
    EXPECT_EQ (w().pressNext (w().page2()).size(), 1u);
    EXPECT_EQ (w().recorder.codes.back(), (int) ScreenCode::welcome);

    for (auto* name : { "firstname", "surname", "company", "address1", "address2", "postcode" })
        EXPECT_TRUE (w().editor (w().page2(), name).getText().isNotEmpty()) << name;
    EXPECT_EQ (w().countries().getText(), "Trinidad & Tobago");
    EXPECT_EQ (w().editor (w().page1(), "email").getText(), "other@example.com");

    EXPECT_EQ (listing(), before);
}

TEST_F (RegistrationOnline, PicturesOfBothPagesAndTheErrorsAlert)
{
    const std::pair<int, const char*> languages[] = { { 0, "en" }, { 1, "es" } };

    auto save = [] (const juce::Image& image, const juce::String& name)
    {
        auto file = juce::File ("/tmp/quorvelan-registration-" + name + ".png");
        file.deleteFile();
        juce::FileOutputStream out (file);
        return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out);
    };

    for (auto& [language, suffix] : languages)
    {
        window.reset();
        setLanguage (language);
        window = std::make_unique<RegistrationWindow>();
        w().window.toFront (true);

        // Page 1: e-mail typed, passwords as stars, the confirmation focused.
        fillPage1 ("ana.lopez@example.com", "mismatch1");
        w().type (w().page1(), "passwordConf", "mismatch2");
        auto& focused = w().editor (w().page1(), "emailConf");
        ASSERT_TRUE (WidgetTestSupport::takeKeyboardFocus (focused));
        auto page1 = w().main->createComponentSnapshot (w().main->getLocalBounds());
        EXPECT_TRUE (save (page1, juce::String ("page1-") + suffix));

        // The focus ring shows at the focused editor's left end, not at the others'.
        auto ringAt = [&page1] (juce::Rectangle<int> editor)
        { return page1.getPixelAt (editor.getX() + 12, editor.getY()).getBlue() > 150 && page1.getPixelAt (editor.getX() + 12, editor.getY()).getRed() < 100; };
        EXPECT_TRUE (ringAt (focused.getBounds()));
        EXPECT_FALSE (ringAt (w().editor (w().page1(), "email").getBounds()));

        // Every caption draws its text inside its own row.
        for (auto* name : { "emailLabel", "emailConfLabel", "passwordLabel", "passwordConfLabel" })
        {
            auto* label = findNamed<juce::Label> (w().page1(), name);
            EXPECT_GT (WidgetTestSupport::countPixels (page1, label->getBounds(), [] (juce::Colour c)
                                                       { return WidgetTestSupport::isNear (c, juce::Colour (0xffc6fdfe), 40); }),
                       20)
                << name;
        }

        // The errors alert for the mismatched passwords.
        auto alerts = w().pressNext (w().page1(), true);
        ASSERT_EQ (alerts.size(), 1u);
        EXPECT_TRUE (alerts[0].message.contains (juce::translate ("PASSWORD_MISMATCH")));
        EXPECT_TRUE (save (alerts[0].picture, juce::String ("errors-alert-") + suffix));

        // Page 2: hints in the empty address lines, a name and a country chosen.
        w().sendCode (ScreenCode::registrationPage2);
        w().type (w().page2(), "firstname", juce::String::fromUTF8 ("Ana Mar\xc3\xad"
                                                                    "a"));
        w().type (w().page2(), "surname", juce::String::fromUTF8 ("L\xc3\xb3pez"));
        w().chooseCountry ("Spain");
        ASSERT_TRUE (WidgetTestSupport::takeKeyboardFocus (w().editor (w().page2(), "surname")));
        auto page2 = w().main->createComponentSnapshot (w().main->getLocalBounds());
        EXPECT_TRUE (save (page2, juce::String ("page2-") + suffix));

        // The descenders of "p" and the parentheses show below their row, not cut off at its edge.
        auto* company = findNamed<juce::Label> (w().page2(), "companyLabel");
        auto belowRow = company->getBounds().withY (company->getBottom()).withHeight (4);
        EXPECT_GT (WidgetTestSupport::countPixels (page2, belowRow, [] (juce::Colour c)
                                                   { return WidgetTestSupport::isNear (c, juce::Colour (0xffc6fdfe), 90); }),
                   3);

        for (auto* name : { "address1", "address2", "address3", "postcode" })
        {
            auto* editor = findNamed<juce::Component> (w().page2(), name);
            EXPECT_GT (WidgetTestSupport::countPixels (page2, editor->getBounds(), [] (juce::Colour c)
                                                       { return WidgetTestSupport::isNear (c, hintTextColour, 30); }),
                       5)
                << name;
        }
    }
}
