#include <gtest/gtest.h>

#include "catalogue/ServerRequest.h"
#include "support/ServerFixture.h"

using RequestOnline = ServerFixture;

TEST_F (RequestOnline, GetAndPostReachTheServerByteForByte)
{
    server.setVersionXml (StandInServer::makeVersionXml ("3.22", "3.00", "plugin_manager.zip"));

    auto version = ServerRequest ("GET_VERSION").readXml();
    ASSERT_NE (version, nullptr);
    EXPECT_TRUE (version->hasTagName ("quordata"));

    auto reset = ServerRequest ("RESET_PASSWORD").withParameter ("email", "me+you@x.org");
    reset.postAndReadText();

    auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 2u);
    EXPECT_EQ (requests[0].method, "GET");
    EXPECT_EQ (requests[0].rawQuery, "ACTION=GET_VERSION");

    EXPECT_EQ (requests[1].method, "POST");
    EXPECT_EQ (requests[1].path, "/plugin_manager.htm");
    EXPECT_EQ (requests[1].rawQuery, "");
    EXPECT_EQ (requests[1].body, "ACTION=RESET_PASSWORD&email=me%2byou%40x.org");
    EXPECT_EQ (requests[1].getHeader ("Content-Type"), "application/x-www-form-urlencoded");

    // An error status still delivers its body; a refused connection delivers nothing.
    server.setReply ("GET_VERSION", { 500, "<quordata response=\"ERROR\"/>" });
    auto failed = ServerRequest ("GET_VERSION").readXml();
    ASSERT_NE (failed, nullptr);
    EXPECT_EQ (failed->getStringAttribute ("response"), "ERROR");

    server.stop();
    juce::MemoryBlock bytes;
    EXPECT_FALSE (ServerRequest ("GET_VERSION").readBytes (bytes));
    EXPECT_EQ (ServerRequest ("GET_VERSION").readXml(), nullptr);
    EXPECT_EQ (reset.postAndReadText(), "");
}

TEST_F (RequestOnline, RepliesAreDecodedAsTextWithTheirByteOrderMark)
{
    const std::string xml = "<quordata response=\"OK\"><name>Se\xc3\xb1or</name></quordata>";

    auto utf16 = [&xml] (bool bigEndian)
    {
        std::string bytes = bigEndian ? std::string ("\xfe\xff") : std::string ("\xff\xfe");
        auto text = juce::String::fromUTF8 (xml.data(), (int) xml.size());

        for (auto c : text)
        {
            const auto unit = (char16_t) c;
            const char high = (char) (unit >> 8), low = (char) (unit & 0xff);
            bytes += bigEndian ? std::string{ high, low } : std::string{ low, high };
        }

        return bytes;
    };

    const std::pair<const char*, std::string> replies[] = {
        { "plain UTF-8", xml },
        { "UTF-8 with its mark", "\xef\xbb\xbf" + xml },
        { "UTF-16 little-endian", utf16 (false) },
        { "UTF-16 big-endian", utf16 (true) },
    };

    for (auto& reply : replies)
    {
        server.setReply ("GET_VERSION", { 200, reply.second });
        auto root = ServerRequest ("GET_VERSION").readXml();

        ASSERT_NE (root, nullptr) << reply.first;
        EXPECT_EQ (root->getStringAttribute ("response"), "OK") << reply.first;
        EXPECT_EQ (root->getChildElementAllSubText ("name", {}), juce::String::fromUTF8 ("Se\xc3\xb1or")) << reply.first;
    }
}

TEST_F (RequestOnline, MessageThreadRequestsGiveUpOnASilentServer)
{
    // The server accepts the connection and says nothing for far longer than the bound; a wait
    // without the bound would end with a readable reply.
    server.setVersionXml (StandInServer::makeVersionXml ("3.22", "3.00", "plugin_manager.zip"));
    server.setBehaviour ("*", { StandInServer::Delivery::whole, 0, 20000 });
    const auto previous = ServerRequest::getMessageThreadTimeoutMs();
    ServerRequest::setMessageThreadTimeoutMs (1000);

    EXPECT_EQ (ServerRequest ("GET_VERSION").readXml(), nullptr);
    EXPECT_EQ (ServerRequest ("RESET_PASSWORD").withParameter ("email", "a@b.c").postAndReadText(), "");

    ServerRequest::setMessageThreadTimeoutMs (previous);
    server.stop();
    EXPECT_EQ (server.getRequests().size(), 2u);

    // Parameters built elsewhere go out unchanged after the action.
    EXPECT_EQ (ServerRequest ("ADD_USER_ACCOUNT").withEncodedParameters ("&email=a%40b&country=").getFormBody(),
               "ACTION=ADD_USER_ACCOUNT&email=a%40b&country=");
}
