#include "app/LoginState.h"

bool loggedIn = false;
juce::String currentUserEmail;
juce::String currentUserPassword;
