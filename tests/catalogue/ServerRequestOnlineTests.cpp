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
