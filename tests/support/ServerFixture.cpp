#include "support/ServerFixture.h"

#include "app/ProgramValues.h"

int ServerFixture::getProgramPort()
{
    return juce::URL (serverRequestUrl).getPort();
}

void ServerFixture::SetUp()
{
    ASSERT_GT (getProgramPort(), 0) << "the tests need a build against the local stand-in server";
    ASSERT_EQ (server.start (getProgramPort()), getProgramPort()) << "port " << getProgramPort() << " is taken";
}

void ServerFixture::TearDown()
{
    server.stop();
}
