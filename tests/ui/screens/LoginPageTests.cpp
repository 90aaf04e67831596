#include <gtest/gtest.h>

#include "catalogue/ProductCatalogue.h"
#include "localisation/Languages.h"
#include "platform/PrivateFile.h"
#include "services/LoginState.h"
#include "services/RememberedLogin.h"
#include "services/SettingsFiles.h"
#include "support/ModalDriver.h"
#include "support/ScreenCodeRecorder.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"
#include "ui/screens/LoginComponent.h"
#include "ui/screens/ScreenCode.h"

#include <sys/stat.h>

namespace
{
juce::File loginFile()
{
    return RememberedLogin::getFile();
}

juce::MemoryBlock contentOf (const juce::File& file)
{
    juce::MemoryBlock content;
    file.loadFileAsData (content);
    return content;
}

struct Seen
{
    juce::String email, password;
    bool remember = false;

    bool operator== (const Seen& other) const
    {
        return email == other.email && password == other.password && remember == other.remember;
    }
};

std::ostream& operator<< (std::ostream& stream, const Seen& seen)
{
    return stream << "\"" << seen.email << "\" / \"" << seen.password << "\" / " << (seen.remember ? "on" : "off");
}

// What a page built now shows; the file must be left as it was.
Seen buildPage()
{
    // Compared as byte strings: the framework's comparison of two empty blocks hands memcmp a
    // null pointer.
    auto bytesOfLoginFile = []
    {
        auto block = loginFile().existsAsFile() ? contentOf (loginFile()) : juce::MemoryBlock();
        return std::string (static_cast<const char*> (block.getData()), block.getSize());
    };
    const auto before = bytesOfLoginFile();
    LoginComponent page;
    EXPECT_EQ (bytesOfLoginFile(), before) << "the file is only read";
    return { page.getEmailEditor().getText(), page.getPasswordEditor().getText(), page.getRememberToggle().getToggleState() };
}

void writeLoginFile (const juce::MemoryBlock& content)
{
    SettingsFiles::createSettingsFolder();
    loginFile().deleteRecursively();
    ASSERT_TRUE (loginFile().replaceWithData (content.getData(), content.getSize()));
}

juce::MemoryBlock bytesOf (const char* text)
{
    return juce::MemoryBlock (text, std::strlen (text));
}

const Seen empty{ "", "", false };
} // namespace

TEST (LoginPage, ChildrenLayoutAndFocusOrder)
{
    setLanguage (0);
    LoginComponent page;

    EXPECT_EQ (page.getName(), "LoginComponent");
    EXPECT_EQ (page.getWidth(), 600);
    EXPECT_EQ (page.getHeight(), 400);

    juce::StringArray names;
    for (auto* child : page.getChildren())
        names.add (child->getName());
    names.removeRange (7, 6);
    EXPECT_EQ (names.joinIntoString (","), "usernamelLabel,passwordLabel,username,password,passwordForgottenButton,loginButton,autologinToggle");
    EXPECT_EQ (page.getNumChildComponents(), 13) << "seven children and the bar's six buttons";

    EXPECT_EQ (page.getPasswordEditor().getPasswordCharacter(), (juce::juce_wchar) '*');
    EXPECT_EQ (page.getEmailEditor().getPasswordCharacter(), 0);
    EXPECT_FALSE (page.getEmailEditor().isMultiLine());
    EXPECT_EQ (page.getLoginButton().getTooltip(), "Click here to log in to check for updates and to synchronize your account.");
    EXPECT_EQ (page.getForgottenPasswordButton().getButtonText(), "(Forgotten Password ?)");
    EXPECT_EQ (page.getForgottenPasswordButton().findColour (juce::TextButton::textColourOffId), juce::Colour (0xff808080));
    EXPECT_EQ (page.getForgottenPasswordButton().findColour (juce::TextButton::buttonColourId), juce::Colours::transparentBlack);
    EXPECT_EQ (page.getRememberToggle().findColour (juce::ToggleButton::textColourId), juce::Colour (0xffffff00));

    page.setBounds (0, 0, 785, 480);
    EXPECT_EQ (page.getEmailEditor().getBounds(), juce::Rectangle<int> (50, 240, 300, 24));
    EXPECT_EQ (page.getPasswordEditor().getBounds(), juce::Rectangle<int> (50, 300, 300, 24));
    EXPECT_EQ (page.getForgottenPasswordButton().getBounds(), juce::Rectangle<int> (220, 280, 130, 20));
    EXPECT_EQ (page.getLoginButton().getBounds(), juce::Rectangle<int> (200, 370, 150, 35));
    EXPECT_EQ (page.getRememberToggle().getBounds(), juce::Rectangle<int> (47, 325, 184, 24));

    // The bar: back and quit only.
    auto& bar = page.getButtonBar();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ (bar.getButton (i)->isVisible(), i == 0 || i == 2) << i;

    // Tab order: e-mail, password, login, forgotten password, back, quit.
    auto traverser = page.createKeyboardFocusTraverser();
    std::vector<juce::Component*> order;
    for (auto* c = traverser->getDefaultComponent (&page); c != nullptr && order.size() < 6; c = traverser->getNextComponent (c))
        order.push_back (c);

    std::vector<juce::Component*> expected{ &page.getEmailEditor(), &page.getPasswordEditor(), &page.getLoginButton(),
                                            &page.getForgottenPasswordButton(), bar.getButton (0), bar.getButton (2) };
    EXPECT_EQ (order, expected);
}

TEST (LoginPage, FillsTheEditorsOnlyFromAWholeWellFormedFile)
{
    setLanguage (0);

    struct Case
    {
        const char* what;
        juce::MemoryBlock content;
        Seen seen;
    };

    auto written = RememberedLogin::makeFileContent ("demo@quorvelan.com", "demo1234");

    const Case cases[] = {
        { "program-written", written, { "demo@quorvelan.com", "demo1234", true } },
        { "lower-case root", bytesOf ("<save user=\"F&#134;\" pass=\"&#70;&#x86;\"/>"), { "ab", "ab", true } },
        { "other attribute case", bytesOf ("<Save USER=\"F&#134;\"></Save>"), { "ab", "", true } },
        { "no attributes", bytesOf ("<SAVE/>"), { "", "", true } },
        { "other root", bytesOf ("<LOGIN user=\"F&#134;\" pass=\"F&#134;\"/>"), empty },
        { "not XML", bytesOf ("user=ab pass=ab"), empty },
        { "empty file", bytesOf (""), empty },
        { "cut after an attribute", bytesOf ("<SAVE user=\"a\""), empty },
        { "cut after &", bytesOf ("<SAVE user=\"a&"), empty },
        { "unclosed root", bytesOf ("<SAVE user=\"F&#134;\">"), empty },
        { "invalid UTF-8", bytesOf ("<SAVE user=\"\xff\xfe\"/>"), empty },
        { "huge reference", bytesOf ("<SAVE user=\"&#99999999999;\"/>"), empty },
        { "surrogate reference", bytesOf ("<SAVE user=\"&#xD800;\"/>"), empty },
        { "unscrambles to a surrogate", bytesOf ("<SAVE user=\"&#x5B5D;\"/>"), empty },
        { "unscrambles above 0x10FFFF", bytesOf ("<SAVE pass=\"&#x1F600;\"/>"), empty },
        { "two roots", bytesOf ("<SAVE/><SAVE/>"), empty },
        { "unknown entity", bytesOf ("<SAVE user=\"&nbsp;\"/>"), empty },
    };

    for (auto& c : cases)
    {
        writeLoginFile (c.content);
        EXPECT_EQ (buildPage(), c.seen) << c.what;
    }

    // A folder named "login", or no file at all.
    loginFile().deleteFile();
    EXPECT_EQ (buildPage(), empty);
    ASSERT_TRUE (loginFile().createDirectory());
    EXPECT_EQ (buildPage(), empty);
    loginFile().deleteRecursively();

    // Every cut of a written file: only the whole file, with or without its last line end, counts.
    const Seen whole{ "demo@quorvelan.com", "demo1234", true };
    auto* bytes = static_cast<const char*> (written.getData());

    for (size_t length = 0; length <= written.getSize(); ++length)
    {
        writeLoginFile (juce::MemoryBlock (bytes, length));
        auto complete = length >= written.getSize() - 2;
        EXPECT_EQ (buildPage(), complete ? whole : empty) << "first " << length << " of " << written.getSize() << " bytes";
    }

    loginFile().deleteFile();
}

//==============================================================================
namespace
{
class LoginPageOnline : public ServerFixture
{
protected:
    void SetUp() override
    {
        ServerFixture::SetUp();
        setLanguage (0);
        server.addAccount ({ "demo@quorvelan.com", "demo1234", "17", "Demo Customer", "Quorvelan Demo" });
        server.setComponentsXml ("<components/>");
        SettingsFiles::createSettingsFolder();
        loginFile().deleteRecursively();
        loggedIn = false;
        currentUserEmail = {};
        currentUserPassword = {};
    }

    void TearDown() override
    {
        loginFile().deleteRecursively();
        loggedIn = false;
        ServerFixture::TearDown();
    }

    // Types the login, clicks the login button and answers every alert with "OK"; returns the
    // alerts seen as "title / message".
    juce::StringArray clickLogin (LoginComponent& page, const juce::String& email, const juce::String& password, bool remember)
    {
        ModalDriver driver;
        for (int i = 0; i < 3; ++i)
            driver.pressWhenModalAppears ("OK");

        page.getEmailEditor().setText (email);
        page.getPasswordEditor().setText (password);
        page.getRememberToggle().setToggleState (remember, juce::dontSendNotification);

        EXPECT_TRUE (ModalDriver::clickAndWait (page.getLoginButton()));
        TestEnvironment::runFor (50);
        return driver.getSeenAlerts();
    }
};
} // namespace

TEST_F (LoginPageOnline, SuccessWritesThePrivateFileBeforeConnectingThenAsksForProductStatus)
{
    StandInServer::Behaviour slow;
    slow.delayMs = 300;
    server.setBehaviour ("REQUEST_COMPONENTS", slow);

    for (mode_t mask : { (mode_t) 022, (mode_t) 0 })
    {
        auto previous = ::umask (mask);
        loginFile().deleteFile();
        loggedIn = false;

        LoginComponent page;
        ScreenCodeRecorder recorder (page);

        // What the file holds when the connecting window comes up.
        ModalDriver connecting;
        juce::MemoryBlock atConnecting;
        bool connectingSeen = false;
        connecting.whenModalAppears ([&] (juce::Component&)
                                     {
                                         connectingSeen = true;
                                         atConnecting = contentOf (loginFile());
                                         EXPECT_TRUE (recorder.codes.empty()); },
                                     [] (juce::Component& window)
                                     { return window.getName() == "Connecting..."; });

        auto alerts = clickLogin (page, "demo@quorvelan.com", "demo1234", true);
        ::umask (previous);

        EXPECT_TRUE (alerts.isEmpty()) << alerts.joinIntoString ("\n");
        EXPECT_TRUE (connectingSeen);
        EXPECT_EQ (atConnecting, RememberedLogin::makeFileContent ("demo@quorvelan.com", "demo1234"));
        EXPECT_EQ (contentOf (loginFile()), atConnecting);
        EXPECT_EQ (PrivateFile::getPermissions (loginFile()), 0600) << "umask " << mask;
        EXPECT_TRUE (loggedIn);
        EXPECT_EQ (currentUserEmail, "demo@quorvelan.com");
        EXPECT_EQ (currentUserPassword, "demo1234");
        ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                                { return ! recorder.codes.empty(); }));
        EXPECT_EQ (recorder.codes, std::vector<juce::uint32>{ ScreenCode::productStatus });
    }

    // The requests went in order: login, then the catalogue.
    auto requests = server.getRequests();
    ASSERT_GE (requests.size(), 2u);
    EXPECT_NE (requests[0].rawQuery.find ("ACTION=REQUEST_LICENCE"), std::string::npos);
    EXPECT_NE (requests[1].rawQuery.find ("ACTION=REQUEST_COMPONENTS"), std::string::npos);

    // Toggle off: the file goes. An emoji password logs in but is not stored.
    {
        LoginComponent page;
        EXPECT_TRUE (page.getRememberToggle().getToggleState()) << "read back at construction";
        EXPECT_EQ (page.getEmailEditor().getText(), "demo@quorvelan.com");

        auto alerts = clickLogin (page, "demo@quorvelan.com", "demo1234", false);
        EXPECT_TRUE (alerts.isEmpty()) << alerts.joinIntoString ("\n");
        EXPECT_TRUE (loggedIn);
        EXPECT_FALSE (loginFile().exists());

        auto emoji = juce::String::fromUTF8 ("pass\xf0\x9f\x98\x80");
        server.addAccount ({ "emoji@quorvelan.com", emoji.toStdString(), "18", "Emoji", "" });
        ASSERT_TRUE (RememberedLogin::write ("demo@quorvelan.com", "demo1234"));
        alerts = clickLogin (page, "emoji@quorvelan.com", emoji, true);
        EXPECT_TRUE (alerts.isEmpty()) << alerts.joinIntoString ("\n");
        EXPECT_TRUE (loggedIn);
        EXPECT_EQ (currentUserPassword, emoji);
        EXPECT_FALSE (loginFile().exists()) << "the earlier login is not left behind";
    }
}

TEST_F (LoginPageOnline, FailuresLeaveTheFileAndSetLoggedOut)
{
    ASSERT_TRUE (RememberedLogin::write ("demo@quorvelan.com", "demo1234"));
    auto earlier = contentOf (loginFile());
    LoginComponent page;
    ScreenCodeRecorder recorder (page);

    // Empty password: no request at all.
    loggedIn = true;
    auto alerts = clickLogin (page, "demo@quorvelan.com", "", true);
    EXPECT_EQ (alerts, juce::StringArray ("Login / Please enter a valid email address and password"));
    EXPECT_TRUE (server.getRequests().empty());
    EXPECT_FALSE (loggedIn);

    // Wrong password.
    loggedIn = true;
    alerts = clickLogin (page, "demo@quorvelan.com", "wrong", false);
    EXPECT_EQ (alerts, juce::StringArray ("Login / The email and/or password you entered was incorrect. Please try again."));
    EXPECT_FALSE (loggedIn);
    EXPECT_EQ (contentOf (loginFile()), earlier);
    EXPECT_EQ (page.getPasswordEditor().getText(), "wrong") << "the page stays as it is";

    // Cancelled while the server is slow.
    StandInServer::Behaviour slow;
    slow.delayMs = 30000;
    server.setBehaviour ("REQUEST_LICENCE", slow);
    {
        ModalDriver cancel;
        cancel.whenModalAppears ([] (juce::Component& window)
                                 { juce::Timer::callAfterDelay (200, [w = juce::Component::SafePointer<juce::Component> (&window)]
                                                                { if (w != nullptr) ModalDriver::pressButton (*w, "Cancel"); }); },
                                 [] (juce::Component& window)
                                 { return window.getName() == "Logging in..."; });
        loggedIn = true;
        alerts = clickLogin (page, "demo@quorvelan.com", "demo1234", false);
    }
    EXPECT_EQ (alerts, juce::StringArray ("Login / Login cancelled"));
    EXPECT_FALSE (loggedIn);
    EXPECT_EQ (contentOf (loginFile()), earlier);

    // Server down.
    server.stop();
    loggedIn = true;
    alerts = clickLogin (page, "demo@quorvelan.com", "demo1234", false);
    EXPECT_EQ (alerts, juce::StringArray ("Login / Cannot connect to the Quorvelan server. Please ensure your internet connection is functioning properly."));
    EXPECT_FALSE (loggedIn);
    EXPECT_EQ (contentOf (loginFile()), earlier);

    TestEnvironment::runFor (50);
    EXPECT_TRUE (recorder.codes.empty());
}

TEST_F (LoginPageOnline, SettingsPathTakenByAFileWritesNothing)
{
    auto folder = SettingsFiles::getSettingsFolder();
    auto saved = folder.getSiblingFile ("Quorvelan-saved");
    ASSERT_TRUE (folder.moveFileTo (saved));
    ASSERT_TRUE (folder.replaceWithText ("not a folder"));

    LoginComponent page;
    auto alerts = clickLogin (page, "demo@quorvelan.com", "demo1234", true);

    EXPECT_TRUE (alerts.isEmpty()) << alerts.joinIntoString ("\n");
    EXPECT_TRUE (loggedIn) << "the login itself succeeds";
    EXPECT_EQ (folder.loadFileAsString(), "not a folder");
    EXPECT_EQ (folder.getParentDirectory().findChildFiles (juce::File::findFiles, false, ".login*").size(), 0);

    folder.deleteFile();
    ASSERT_TRUE (saved.moveFileTo (folder));
}

TEST_F (LoginPageOnline, ForgottenPasswordAndBackSendTheirCodes)
{
    LoginComponent page;
    ScreenCodeRecorder recorder (page);

    page.getForgottenPasswordButton().triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return recorder.codes.size() == 1; }));
    page.getButtonBar().getButton (0)->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return recorder.codes.size() == 2; }));

    EXPECT_EQ (recorder.codes, (std::vector<juce::uint32>{ ScreenCode::forgottenPassword, ScreenCode::welcome }));
}
