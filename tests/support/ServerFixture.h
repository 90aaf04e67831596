#pragma once

#include "standin/StandInServer.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

// The stand-in server on a free port, with the program's server addresses pointed at it.
class ServerFixture : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The port the program's requests go to.
    static int getProgramPort();

    StandInServer server;
};
