#include "support/ServerFixture.h"

#include "services/ProgramValues.h"

int ServerFixture::getProgramPort()
{
    return juce::URL (serverRequestUrl).getPort();
}

void ServerFixture::SetUp()
{
    // A free port of this test's own: parallel runs, and a manager running beside the tests,
    // never meet on it.
    const auto port = server.start (0);
    ASSERT_GT (port, 0) << "the stand-in server cannot listen";
    useServerOriginForTests ("http://127.0.0.1:" + juce::String (port));
    ASSERT_EQ (getProgramPort(), port);
}

void ServerFixture::TearDown()
{
    server.stop();
}
