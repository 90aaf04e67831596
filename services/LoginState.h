#pragma once

#include <juce_core/juce_core.h>

// Set by the login page: true after a successful login there, false after a failed one.
extern bool loggedIn;

// The e-mail and password of the last accepted login; empty until then.
extern juce::String currentUserEmail;
extern juce::String currentUserPassword;
