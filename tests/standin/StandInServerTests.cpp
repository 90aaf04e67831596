#include <gtest/gtest.h>

#include <condition_variable>
#include <juce_core/juce_core.h>

#include "catalogue/BundleFixtures.h"
#include "standin/HttpProbe.h"
#include "standin/StandInServer.h"

#include <filesystem>
#include <mutex>
#include <utility>
#include <vector>

namespace
{
const juce::String page = "/plugin_manager.htm";

class StandInServerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        port = server.start();
        ASSERT_GT (port, 0);
    }

    void TearDown() override
    {
        server.stop();
    }

    std::unique_ptr<juce::XmlElement> fetchXml (const juce::String& query)
    {
        return juce::XmlDocument::parse (HttpProbe::get (port, page + "?" + query).getText());
    }

    StandInServer::RecordedRequest lastRequest() const
    {
        const auto requests = server.getRequests();
        return requests.empty() ? StandInServer::RecordedRequest() : requests.back();
    }

    juce::StringArray errorsOf (const juce::XmlElement& reply)
    {
        juce::StringArray errors;

        for (auto* error : reply.getChildWithTagNameIterator ("error"))
            errors.add (error->getAllSubText());

        return errors;
    }

    StandInServer server;
    int port = 0;
};

const std::string versionBody = "<quordata response=\"OK\"><authapp version=\"9\"/></quordata>";
} // namespace

TEST_F (StandInServerTest, RecordsEachRequestAsItCameOverTheWire)
{
    struct Case
    {
        juce::String target;
        std::string path, query;
    };

    const Case cases[] = {
        { page + "?ACTION=REQUEST_LICENCE&email=a%2bb%40c.d&password=x%7e", page.toStdString(), "ACTION=REQUEST_LICENCE&email=a%2bb%40c.d&password=x%7e" },
        { page + "?ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS&email=&emailconf=&password=&passwordconf=", page.toStdString(), "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS&email=&emailconf=&password=&passwordconf=" },
        { page + "?ACTION=REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS&country=Trinidad%20%26%20Tobago", page.toStdString(), "ACTION=REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS&country=Trinidad%20%26%20Tobago" },
        { page + "?ACTION=GET_VERSION", page.toStdString(), "ACTION=GET_VERSION" },
        { page, page.toStdString(), "" },
        { "/plugrepo/components/MAC/My%20Plug.vst.zip", "/plugrepo/components/MAC/My%20Plug.vst.zip", "" },
    };

    for (const auto& c : cases)
    {
        HttpProbe::get (port, c.target);
        const auto request = lastRequest();

        EXPECT_EQ (request.method, "GET") << c.target;
        EXPECT_EQ (request.path, c.path) << c.target;
        EXPECT_EQ (request.rawQuery, c.query) << c.target;
        EXPECT_EQ (request.body, "") << c.target;
        EXPECT_EQ (request.getHeader ("host"), "127.0.0.1:" + std::to_string (port)) << c.target;
    }

    const auto reset = HttpProbe::post (port, page, "ACTION=RESET_PASSWORD&email=a%2bb%40c.d");
    const auto request = lastRequest();

    EXPECT_EQ (request.method, "POST");
    EXPECT_EQ (request.path, page.toStdString());
    EXPECT_EQ (request.rawQuery, "");
    EXPECT_EQ (request.body, "ACTION=RESET_PASSWORD&email=a%2bb%40c.d");
    EXPECT_NE (request.getHeader ("Content-Type").find ("application/x-www-form-urlencoded"), std::string::npos);
    EXPECT_EQ (reset.status, 200);
    EXPECT_TRUE (reset.getText().contains ("response=\"OK\""));

    EXPECT_EQ (server.getRequests().size(), std::size (cases) + 1);
    server.clearRequests();
    EXPECT_TRUE (server.getRequests().empty());
}

TEST_F (StandInServerTest, AnswersLoginsForKnownAccountsOnly)
{
    server.addAccount ({ "demo@quorvelan.com", "demo1234", "1001", "Demo Customer", "Quorvelan Demo" });
    server.addAccount ({ "a+b@c.d", "x y~", "7", "Ann & Bob", "<Smith> \"Sons\"" });

    struct Case
    {
        juce::String query;
        juce::String response, id, name, company;
    };

    const Case cases[] = {
        { "email=demo%40quorvelan.com&password=demo1234", "OK", "1001", "Demo Customer", "Quorvelan Demo" },
        { "email=DEMO%40Quorvelan.com&password=demo1234", "OK", "1001", "Demo Customer", "Quorvelan Demo" },
        { "email=demo%40quorvelan.com&password=DEMO1234", "ERROR", {}, {}, {} },
        { "email=nobody%40quorvelan.com&password=demo1234", "ERROR", {}, {}, {} },
        { "email=demo%40quorvelan.com", "ERROR", {}, {}, {} },
        { "email=a%2bb%40c.d&password=x%20y%7e", "OK", "7", "Ann & Bob", "<Smith> \"Sons\"" },
        { "email=a%2Bb%40c.d&password=x+y%7E", "OK", "7", "Ann & Bob", "<Smith> \"Sons\"" },
        { "email=a+b%40c.d&password=x%20y%7e", "ERROR", {}, {}, {} },
    };

    for (const auto& c : cases)
    {
        const auto reply = fetchXml ("ACTION=REQUEST_LICENCE&" + c.query);
        ASSERT_NE (reply, nullptr) << c.query;
        EXPECT_TRUE (reply->hasTagName ("quordata")) << c.query;
        EXPECT_EQ (reply->getStringAttribute ("response"), c.response) << c.query;

        const auto* user = reply->getChildByName ("user");

        if (c.id.isEmpty())
        {
            EXPECT_EQ (user, nullptr) << c.query;
            continue;
        }

        ASSERT_NE (user, nullptr) << c.query;
        EXPECT_EQ (user->getStringAttribute ("id"), c.id) << c.query;
        EXPECT_EQ (user->getChildByName ("name")->getAllSubText(), c.name) << c.query;
        EXPECT_EQ (user->getChildByName ("company")->getAllSubText(), c.company) << c.query;
    }
}

TEST_F (StandInServerTest, ServesTheCatalogueTheVersionAndThePage)
{
    const std::string catalogue = "<?xml version=\"1.0\"?>\n<quordata><product id=\"7\"><product_title>My Plug</product_title>"
                                  "<component platform=\"MAC\" format=\"VST\">My Plug.vst</component></product></quordata>";
    server.setComponentsXml (catalogue);

    const auto components = HttpProbe::get (port, page + "?ACTION=REQUEST_COMPONENTS");
    EXPECT_EQ (components.status, 200);
    EXPECT_EQ (components.getText().toStdString(), catalogue);
    EXPECT_TRUE (components.headers["Content-Type"].startsWith ("text/xml"));

    auto version = fetchXml ("ACTION=GET_VERSION");
    ASSERT_NE (version, nullptr);
    EXPECT_EQ (version->getStringAttribute ("response"), "OK");
    EXPECT_EQ (version->getChildByName ("authapp")->getStringAttribute ("version"), "3.22");

    server.setVersionXml (StandInServer::makeVersionXml ("3.5", "3.23", "updates/MAC/Quorvelan Plugin Manager.app.zip"));
    version = fetchXml ("ACTION=GET_VERSION");
    ASSERT_NE (version, nullptr);
    const auto* authapp = version->getChildByName ("authapp");
    ASSERT_NE (authapp, nullptr);
    EXPECT_EQ (authapp->getStringAttribute ("version"), "3.5");
    EXPECT_EQ (authapp->getStringAttribute ("minvers"), "3.23");
    EXPECT_EQ (authapp->getStringAttribute ("macpath"), "updates/MAC/Quorvelan Plugin Manager.app.zip");

    // The reachability probe opens the bare page.
    const auto bare = HttpProbe::get (port, page);
    EXPECT_TRUE (bare.opened);
    EXPECT_EQ (bare.status, 200);

    const auto unknown = fetchXml ("ACTION=NO_SUCH_THING");
    ASSERT_NE (unknown, nullptr);
    EXPECT_EQ (unknown->getStringAttribute ("response"), "ERROR");

    EXPECT_EQ (HttpProbe::get (port, "/elsewhere.htm").status, 404);
}

TEST_F (StandInServerTest, ServesRepositoryFilesAndNothingOutsideIt)
{
    BundleFixtures::ScratchFolder scratch;
    const auto repository = scratch.getChild ("plugrepo");
    const auto archive = repository.getChildFile ("components/MAC/My Plug.vst.zip");
    ASSERT_TRUE (archive.getParentDirectory().createDirectory());

    const char archiveBytes[] = { 'P', 'K', 3, 4, 0, 0, '\xff', ' ', '%', '2', '0' };
    ASSERT_TRUE (archive.replaceWithData (archiveBytes, sizeof (archiveBytes)));

    const auto secret = scratch.getChild ("secret.txt");
    ASSERT_TRUE (secret.replaceWithText ("private"));
    std::filesystem::create_symlink (secret.getFullPathName().toStdString(),
                                     repository.getChildFile ("link.zip").getFullPathName().toStdString());

    server.setRepositoryFolder (repository.getFullPathName().toStdString());
    const std::string wholeArchive (archiveBytes, sizeof (archiveBytes));

    struct Case
    {
        std::string target;
        int status;
    };

    // Sent over a bare socket: an HTTP client would tidy the dot segments away first.
    const Case cases[] = {
        { "/plugrepo/components/MAC/My%20Plug.vst.zip", 200 },
        { "/plugrepo/components/MAC/Missing.zip", 404 },
        { "/plugrepo/components/MAC", 404 },
        { "/plugrepo/../secret.txt", 403 },
        { "/plugrepo/components/../../secret.txt", 403 },
        { "/plugrepo/components/%2e%2e/%2E%2E/secret.txt", 403 },
        { "/plugrepo/%2e%2e%2fsecret.txt", 403 },
        { "/plugrepo/" + secret.getFullPathName().replace (" ", "%20").toStdString(), 403 },
        { "/plugrepo/link.zip", 403 },
        { "/plugrepo/components/MAC/My%20Plug.vst.zip%00.txt", 403 },
    };

    for (const auto& c : cases)
    {
        const auto reply = HttpProbe::exchange (port, HttpProbe::makeGet (c.target));
        EXPECT_EQ (reply.getStatus(), c.status) << c.target;
        EXPECT_EQ (reply.getBody().find ("private"), std::string::npos) << c.target;

        if (c.status == 200)
            EXPECT_EQ (reply.getBody(), wholeArchive) << c.target;
    }

    // The program's own client asks for the name with its blank written %20.
    const auto fetched = HttpProbe::get (port, "/plugrepo/components/MAC/My%20Plug.vst.zip");
    EXPECT_EQ (fetched.status, 200);
    EXPECT_EQ (fetched.body, juce::MemoryBlock (archiveBytes, sizeof (archiveBytes)));
    EXPECT_EQ (fetched.headers["Content-Type"], "application/zip");
}

TEST_F (StandInServerTest, DeliversEachFailureAsTold)
{
    using Delivery = StandInServer::Delivery;
    const StandInServer::Reply xml{ 200, versionBody, "text/xml" };
    const auto fullLength = std::to_string (versionBody.size());

    struct Case
    {
        const char* name;
        StandInServer::Reply reply;
        StandInServer::Behaviour behaviour;
        int status;
        const char* contentLength; // nullptr: no such header
        bool chunked;
        std::string body;
    };

    const Case cases[] = {
        { "error status", { 503, "busy", "text/plain" }, {}, 503, "4", false, "busy" },
        { "not XML", { 200, "<html><body>Maintenance", "text/html" }, {}, 200, "23", false, "<html><body>Maintenance" },
        { "truncated", xml, { Delivery::truncated, 7 }, 200, fullLength.c_str(), false, versionBody.substr (0, 7) },
        { "cut before the body", xml, { Delivery::truncated, 0 }, 200, fullLength.c_str(), false, "" },
        { "cut past the end", xml, { Delivery::truncated, 500 }, 200, fullLength.c_str(), false, versionBody.substr (0, versionBody.size() - 1) },
        { "without length", xml, { Delivery::withoutLength }, 200, nullptr, false, versionBody },
        { "chunked", xml, { Delivery::chunked }, 200, nullptr, true, versionBody },
        { "trickled", xml, { Delivery::whole, 0, 0, 10, 5 }, 200, fullLength.c_str(), false, versionBody },
        { "dropped", xml, { Delivery::dropConnection }, 0, nullptr, false, "" },
    };

    for (const auto& c : cases)
    {
        server.setReply ("GET_VERSION", c.reply);
        server.setBehaviour ("GET_VERSION", c.behaviour);
        server.clearRequests();

        const auto reply = HttpProbe::exchange (port, HttpProbe::makeGet ((page + "?ACTION=GET_VERSION").toStdString()));

        EXPECT_TRUE (reply.closed) << c.name;
        EXPECT_EQ (reply.getStatus(), c.status) << c.name;
        EXPECT_EQ (server.getRequests().size(), 1u) << c.name;

        if (c.status == 0)
        {
            EXPECT_EQ (reply.bytes, "") << c.name;
            continue;
        }

        EXPECT_EQ (reply.hasHeader ("Content-Length"), c.contentLength != nullptr) << c.name;

        if (c.contentLength != nullptr)
            EXPECT_EQ (reply.getHeader ("Content-Length"), c.contentLength) << c.name;

        EXPECT_EQ (reply.getHeader ("Transfer-Encoding") == "chunked", c.chunked) << c.name;
        EXPECT_EQ (c.chunked ? HttpProbe::dechunk (reply.getBody()) : reply.getBody(), c.body) << c.name;
        EXPECT_EQ (reply.getHeader ("Content-Type"), c.reply.contentType) << c.name;
    }
}

TEST_F (StandInServerTest, FailuresReachTheProgramsOwnClient)
{
    using Delivery = StandInServer::Delivery;
    // Trickled, so the client has the headers before the body breaks off.
    std::string archive (5000, '\0');

    for (std::size_t i = 0; i < archive.size(); ++i)
        archive[i] = (char) (i * 7);

    struct Case
    {
        const char* name;
        StandInServer::Reply reply;
        StandInServer::Behaviour behaviour;
        bool opened;
        int status;
        juce::int64 totalLength;
        std::string received;
    };

    const Case cases[] = {
        { "truncated archive", { 200, archive, "application/zip" }, { Delivery::truncated, 2500, 0, 500, 40 }, true, 200, 5000, archive.substr (0, 2500) },
        { "without length", { 200, versionBody, "text/xml" }, { Delivery::withoutLength }, true, 200, -1, versionBody },
        { "chunked", { 200, versionBody, "text/xml" }, { Delivery::chunked }, true, 200, -1, versionBody },
        { "dropped", { 200, versionBody, "text/xml" }, { Delivery::dropConnection }, false, 0, 0, "" },
        { "error status", { 500, "oops", "text/plain" }, {}, true, 500, 4, "oops" },
    };

    for (const auto& c : cases)
    {
        server.setReply ("GET_VERSION", c.reply);
        server.setBehaviour ("GET_VERSION", c.behaviour);

        const auto fetched = HttpProbe::get (port, page + "?ACTION=GET_VERSION");
        EXPECT_EQ (fetched.opened, c.opened) << c.name;

        if (! c.opened)
            continue;

        EXPECT_EQ (fetched.status, c.status) << c.name;
        EXPECT_EQ (fetched.totalLength, c.totalLength) << c.name;
        const std::string received (static_cast<const char*> (fetched.body.getData()), fetched.body.getSize());
        EXPECT_EQ (received.size(), c.received.size()) << c.name;
        EXPECT_TRUE (received == c.received) << c.name;
    }
}

TEST_F (StandInServerTest, ScriptsApplyByActionThenPathThenEverywhere)
{
    server.setReply ("*", { 500, "everywhere", "text/plain" });
    server.setReply ("/plugin_manager.htm", { 201, "page", "text/plain" });
    server.setReply ("GET_VERSION", { 202, "version", "text/plain" });
    server.setReply ("/plugrepo/components/MAC/My Plug.vst.zip", { 203, "archive", "application/zip" });
    server.setBehaviour ("*", { StandInServer::Delivery::dropConnection });
    server.setBehaviour ("/plugin_manager.htm", {});

    struct Case
    {
        juce::String target;
        int status;
        juce::String body;
    };

    const Case cases[] = {
        { page + "?ACTION=GET_VERSION", 202, "version" },
        { page + "?ACTION=REQUEST_COMPONENTS", 201, "page" },
        { page, 201, "page" },
        { "/plugrepo/components/MAC/My%20Plug.vst.zip", 0, {} },
        { "/plugrepo/other.zip", 0, {} },
    };

    for (const auto& c : cases)
    {
        const auto fetched = HttpProbe::get (port, c.target);
        EXPECT_EQ (fetched.opened ? fetched.status : 0, c.status) << c.target;
        EXPECT_EQ (fetched.getText(), c.body) << c.target;
    }

    server.setBehaviour ("*", {});
    const auto archive = HttpProbe::get (port, "/plugrepo/components/MAC/My%20Plug.vst.zip");
    EXPECT_EQ (archive.status, 203);
    EXPECT_EQ (archive.getText(), "archive");
    EXPECT_EQ (HttpProbe::get (port, "/plugrepo/other.zip").status, 500);

    server.clearScripts();
    const auto version = fetchXml ("ACTION=GET_VERSION");
    ASSERT_NE (version, nullptr);
    EXPECT_EQ (version->getChildByName ("authapp")->getStringAttribute ("version"), "3.22");
}

TEST_F (StandInServerTest, SlowRepliesKeepTheClientWaiting)
{
    const auto request = HttpProbe::makeGet ((page + "?ACTION=GET_VERSION").toStdString());
    server.setReply ("GET_VERSION", { 200, versionBody, "text/xml" });

    // Nothing during the delay, then the whole reply.
    server.setBehaviour ("GET_VERSION", { StandInServer::Delivery::whole, 0, 600 });
    {
        HttpProbe::RawConnection connection (port);
        ASSERT_TRUE (connection.send (request));
        EXPECT_FALSE (connection.answersWithin (150));

        const auto reply = connection.readUntilClosed();
        EXPECT_EQ (reply.getStatus(), 200);
        EXPECT_EQ (reply.getBody(), versionBody);
    }

    // A trickle arrives in several pieces that add up to the body.
    server.setBehaviour ("GET_VERSION", { StandInServer::Delivery::whole, 0, 0, 12, 80 });
    {
        const auto reply = HttpProbe::exchange (port, request);
        EXPECT_EQ (reply.getBody(), versionBody);
        EXPECT_GE (reply.reads, 3);
    }

    // Stopping cuts a long delay short and sends nothing.
    server.setBehaviour ("GET_VERSION", { StandInServer::Delivery::whole, 0, 600000 });
    {
        HttpProbe::RawConnection connection (port);
        server.clearRequests();
        ASSERT_TRUE (connection.send (request));

        // The request is recorded before the delay begins.
        for (int i = 0; i < 500 && server.getRequests().empty(); ++i)
            juce::Thread::sleep (10);

        ASSERT_EQ (server.getRequests().size(), 1u);
        server.stop();

        const auto reply = connection.readUntilClosed (1000);
        EXPECT_TRUE (reply.closed);
        EXPECT_EQ (reply.bytes, "");
        EXPECT_FALSE (server.isRunning());
    }
}

TEST_F (StandInServerTest, ServesAFolderAsTheExecutableDoes)
{
    BundleFixtures::ScratchFolder scratch;
    const auto root = scratch.getFile();
    const juce::String catalogue = "<quordata><product id=\"1\"/></quordata>";
    const juce::String version = StandInServer::makeVersionXml ("3.22", "3.0", "updates/x.zip");

    ASSERT_TRUE (root.getChildFile ("components.xml").replaceWithText (catalogue, false, false, nullptr));
    ASSERT_TRUE (root.getChildFile ("version.xml").replaceWithText (version, false, false, nullptr));
    ASSERT_TRUE (root.getChildFile ("accounts.txt").replaceWithText ("# e-mail, password, id, name, company\n"
                                                                     "\n"
                                                                     "demo@quorvelan.com\tdemo1234\t1001\tDemo Customer\tQuorvelan Demo\r\n"
                                                                     "broken@quorvelan.com\tpassword\t5\tNo Company\n"
                                                                     "other@quorvelan.com\tother123\t1002\tOther Customer\t\n",
                                                                     false, false, nullptr));
    ASSERT_TRUE (root.getChildFile ("plugrepo/components/MAC/A B.vst.zip").create());
    ASSERT_TRUE (root.getChildFile ("plugrepo/components/MAC/A B.vst.zip").replaceWithText ("zip"));

    EXPECT_FALSE (server.serveFolder (root.getChildFile ("missing").getFullPathName().toStdString()));
    ASSERT_TRUE (server.serveFolder (root.getFullPathName().toStdString()));

    EXPECT_EQ (HttpProbe::get (port, page + "?ACTION=REQUEST_COMPONENTS").getText(), catalogue);
    EXPECT_EQ (HttpProbe::get (port, page + "?ACTION=GET_VERSION").getText(), version);
    EXPECT_EQ (HttpProbe::get (port, "/plugrepo/components/MAC/A%20B.vst.zip").getText(), "zip");

    struct Case
    {
        juce::String query, response, name, company;
    };

    const Case cases[] = {
        { "email=demo%40quorvelan.com&password=demo1234", "OK", "Demo Customer", "Quorvelan Demo" },
        { "email=other%40quorvelan.com&password=other123", "OK", "Other Customer", "" },
        { "email=broken%40quorvelan.com&password=password", "ERROR", {}, {} },
    };

    for (const auto& c : cases)
    {
        const auto reply = fetchXml ("ACTION=REQUEST_LICENCE&" + c.query);
        ASSERT_NE (reply, nullptr) << c.query;
        EXPECT_EQ (reply->getStringAttribute ("response"), c.response) << c.query;

        if (c.response == "OK")
        {
            const auto* user = reply->getChildByName ("user");
            ASSERT_NE (user, nullptr) << c.query;
            EXPECT_EQ (user->getChildByName ("name")->getAllSubText(), c.name) << c.query;
            EXPECT_EQ (user->getChildByName ("company")->getAllSubText(), c.company) << c.query;
        }
    }
}

TEST_F (StandInServerTest, RegistrationChecksDetailsAndCreatesTheAccount)
{
    server.addAccount ({ "demo@quorvelan.com", "demo1234", "1001", "Demo Customer", "Quorvelan Demo" });

    const juce::String account = "&email=ann%40example.com&emailconf=ann%40example.com&password=secret123&passwordconf=secret123";
    const juce::String person = "&first_name=Ann&last_name=Smith&company=Ann%20%26%20Co&address_1=1%20High%20St&address_2=&address_3="
                                "&postcode=AB1&country=Trinidad%20%26%20Tobago";

    struct Case
    {
        juce::String query;
        juce::String response;
        juce::StringArray errors;
    };

    const Case cases[] = {
        { "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS&email=&emailconf=&password=&passwordconf=", "ERROR", { "INVALID_EMAIL", "PASSWORD_LESS_THAN_EIGHT_CHARS_ONE_NUMBER" } },
        { "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS&email=ann%40example&emailconf=ann%40example.com&password=secret123&passwordconf=secret124", "ERROR", { "INVALID_EMAIL", "EMAIL_MISMATCH", "PASSWORD_MISMATCH" } },
        { "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS&email=ann%40example.com&emailconf=ann%40example.com&password=secretxyz&passwordconf=secretxyz", "ERROR", { "PASSWORD_LESS_THAN_EIGHT_CHARS_ONE_NUMBER" } },
        { "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS&email=ann%40example.com&emailconf=ann%40example.com&password=abc1&passwordconf=abc1", "ERROR", { "PASSWORD_LESS_THAN_EIGHT_CHARS_ONE_NUMBER" } },
        { "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS&email=Demo%40Quorvelan.com&emailconf=Demo%40Quorvelan.com&password=secret123&passwordconf=secret123", "ERROR", { "EMAIL_ALREADY_REGISTERED" } },
        { "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS" + account, "OK", {} },
        { "ACTION=REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS" + account + "&first_name=&last_name=%20&company=&address_1=&address_2=&address_3=&postcode=&country=", "ERROR", { "INVALID_FIRST_NAME", "INVALID_LAST_NAME", "INVALID_ADDRESS_1", "INVALID_POSTCODE", "INVALID_COUNTRY" } },
        { "ACTION=REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS" + account + person, "OK", {} },
        { "ACTION=REQUEST_LICENCE&email=ann%40example.com&password=secret123", "ERROR", {} },
        { "ACTION=ADD_USER_ACCOUNT" + account + person, "OK", {} },
        { "ACTION=REQUEST_LICENCE&email=ann%40example.com&password=secret123", "OK", {} },
        { "ACTION=ADD_USER_ACCOUNT" + account + person, "ERROR", { "EMAIL_ALREADY_REGISTERED" } },
        { "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS" + account, "ERROR", { "EMAIL_ALREADY_REGISTERED" } },
    };

    for (const auto& c : cases)
    {
        const auto reply = fetchXml (c.query);
        ASSERT_NE (reply, nullptr) << c.query;
        EXPECT_EQ (reply->getStringAttribute ("response"), c.response) << c.query;
        EXPECT_EQ (errorsOf (*reply), c.errors) << c.query;
    }

    const auto login = fetchXml ("ACTION=REQUEST_LICENCE&email=ann%40example.com&password=secret123");
    ASSERT_NE (login, nullptr);
    const auto* user = login->getChildByName ("user");
    ASSERT_NE (user, nullptr);
    EXPECT_EQ (user->getStringAttribute ("id"), "1002");
    EXPECT_EQ (user->getChildByName ("name")->getAllSubText(), "Ann Smith");
    EXPECT_EQ (user->getChildByName ("company")->getAllSubText(), "Ann & Co");
}

TEST_F (StandInServerTest, RecordsRawBytesTheClientLibraryWouldTidy)
{
    // What the listener hears lives as long as the listener: the server may call it after this
    // test's own variables are gone.
    struct Heard
    {
        std::vector<std::pair<std::string, int>> requests;
        std::mutex lock;
        std::condition_variable changed;
    };

    auto heard = std::make_shared<Heard>();
    server.setRequestListener ([heard] (const StandInServer::RecordedRequest& request, int status)
                               {
        {
            const std::lock_guard<std::mutex> guard (heard->lock);
            heard->requests.emplace_back (request.method + " " + request.path + "?" + request.rawQuery, status);
        }
        heard->changed.notify_all(); });

    const std::string query = "ACTION=REQUEST_LICENCE&email=a+b%2B%ZZ%40c.d&password=\xc3\xb1%E2%82%ac;x=y=z&&";
    auto reply = HttpProbe::exchange (port, HttpProbe::makeGet ("/plugin_manager.htm?" + query));
    EXPECT_EQ (reply.getStatus(), 200);
    EXPECT_EQ (lastRequest().path, "/plugin_manager.htm");
    EXPECT_EQ (lastRequest().rawQuery, query);

    // A body the form parser cannot read is kept whole, beside the query it came with.
    const std::string body = std::string ("ACTION=RESET_PASSWORD&email=x%40y\r\n") + '\0' + "\xff&=" + std::string (3000, 'q');
    reply = HttpProbe::exchange (port, "POST /plugin_manager.htm?ACTION=RESET_PASSWORD HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                       "Content-Type: application/octet-stream\r\nContent-Length: "
                                           + std::to_string (body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    EXPECT_EQ (reply.getStatus(), 200);
    EXPECT_EQ (lastRequest().method, "POST");
    EXPECT_EQ (lastRequest().rawQuery, "ACTION=RESET_PASSWORD");
    EXPECT_EQ (lastRequest().body.size(), body.size());
    EXPECT_TRUE (lastRequest().body == body);

    // A chunked upload is recorded as its payload.
    reply = HttpProbe::exchange (port, "POST /plugin_manager.htm HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                       "Content-Type: application/x-www-form-urlencoded\r\nTransfer-Encoding: chunked\r\n"
                                       "Connection: close\r\n\r\n5\r\nACTIO\r\n1e\r\nN=RESET_PASSWORD&email=x%40y.z\r\n0\r\n\r\n");
    EXPECT_EQ (reply.getStatus(), 200);
    EXPECT_EQ (lastRequest().body, "ACTION=RESET_PASSWORD&email=x%40y.z");

    // Methods the program never uses are recorded too, and refused.
    reply = HttpProbe::exchange (port, "PUT /plugin_manager.htm?ACTION=GET_VERSION HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                       "Content-Length: 3\r\nConnection: close\r\n\r\nabc");
    EXPECT_EQ (reply.getStatus(), 405);
    EXPECT_EQ (lastRequest().method, "PUT");
    EXPECT_EQ (lastRequest().body, "abc");

    server.setBehaviour ("GET_VERSION", { StandInServer::Delivery::dropConnection });
    HttpProbe::exchange (port, HttpProbe::makeGet ("/plugin_manager.htm?ACTION=GET_VERSION"));

    EXPECT_EQ (server.getRequests().size(), 5u);

    // The listener is called once a reply has gone out, so possibly after the client read it.
    std::unique_lock<std::mutex> guard (heard->lock);
    heard->changed.wait_for (guard, std::chrono::minutes (1), [&heard]
                             { return heard->requests.size() >= 5; });

    const std::vector<std::pair<std::string, int>> expected{
        { "GET /plugin_manager.htm?" + query, 200 },
        { "POST /plugin_manager.htm?ACTION=RESET_PASSWORD", 200 },
        { "POST /plugin_manager.htm?", 200 },
        { "PUT /plugin_manager.htm?ACTION=GET_VERSION", 405 },
        { "GET /plugin_manager.htm?ACTION=GET_VERSION", 0 },
    };
    EXPECT_EQ (heard->requests, expected);
}

TEST_F (StandInServerTest, ScriptedLoginRepliesArriveVerbatim)
{
    server.addAccount ({ "demo@quorvelan.com", "demo1234", "1001", "Demo Customer", "Quorvelan Demo" });
    const juce::String login = page + "?ACTION=REQUEST_LICENCE&email=demo%40quorvelan.com&password=demo1234";

    const StandInServer::Reply replies[] = {
        { 200, "<QUORDATA RESPONSE=\"OK\"><USER ID=\"1\"><NAME>A</NAME></USER></QUORDATA>", "text/xml" },
        { 200, "<quordata response=\"ok\"/>", "text/xml" },
        { 200, "<html><body>Service unavailable</body></html>", "text/html" },
        { 200, "<other response=\"OK\"/>", "text/xml" },
        { 200, "", "text/xml" },
    };

    for (const auto& scripted : replies)
    {
        server.setReply ("REQUEST_LICENCE", scripted);
        const auto fetched = HttpProbe::get (port, login);
        EXPECT_EQ (fetched.status, 200) << scripted.body;
        EXPECT_EQ (fetched.getText().toStdString(), scripted.body);
        EXPECT_TRUE (fetched.headers["Content-Type"].startsWith (scripted.contentType)) << scripted.body;

        // Only the login is scripted.
        EXPECT_TRUE (HttpProbe::get (port, page + "?ACTION=GET_VERSION").getText().contains ("<authapp version=\"3.22\"")) << scripted.body;
    }

    server.clearScripts();
    const auto reply = fetchXml ("ACTION=REQUEST_LICENCE&email=demo%40quorvelan.com&password=demo1234");
    ASSERT_NE (reply, nullptr);
    EXPECT_EQ (reply->getStringAttribute ("response"), "OK");
}

TEST_F (StandInServerTest, HoldsItsPortAloneAndRefusesOnceStopped)
{
    // Another server cannot share the port.
    StandInServer second;
    EXPECT_EQ (second.start (port), 0);
    EXPECT_FALSE (second.isRunning());

    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (HttpProbe::get (port, page + "?ACTION=GET_VERSION").status, 200);

    EXPECT_EQ (server.getRequests().size(), 5u) << "every request reached the first server";

    // Stopped, the port refuses connections; started again on it, it answers.
    server.stop();
    EXPECT_FALSE (server.isRunning());
    EXPECT_EQ (server.getPort(), 0);
    EXPECT_FALSE (HttpProbe::RawConnection (port).isConnected());
    EXPECT_FALSE (HttpProbe::get (port, page + "?ACTION=GET_VERSION").opened);

    ASSERT_EQ (server.start (port), port);
    EXPECT_TRUE (server.isRunning());
    EXPECT_EQ (server.getPort(), port);
    EXPECT_EQ (HttpProbe::get (port, page + "?ACTION=GET_VERSION").status, 200);

    // Now the port is free for whoever asks first.
    server.stop();
    EXPECT_EQ (second.start (port), port);
    EXPECT_EQ (HttpProbe::get (port, page).status, 200);
    second.stop();
}
