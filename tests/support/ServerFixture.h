#pragma once

#include "standin/StandInServer.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

// The stand-in server on the port the program was built to talk to.
class ServerFixture : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    static int getProgramPort();

    StandInServer server;
};
