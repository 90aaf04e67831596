#include "services/LoginState.h"

bool loggedIn = false;
juce::String currentUserEmail;
juce::String currentUserPassword;
