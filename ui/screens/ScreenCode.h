#pragma once

#include <juce_core/juce_core.h>

// The argument of a screen's change message: which screen the main component shows next.
enum ScreenCode : juce::uint32
{
    askServer = 0,
    noScreen = 1,
    forgottenPassword = 2,
    registrationFromWelcome = 3,
    registrationPage2 = 4,
    welcome = 5,
    registrationFromDownloads = 6,
    registrationFromStatus = 7,
    productStatus = 8,
    demoDownloads = 9,
    updateCheck = 10,
    offline = 11
};
