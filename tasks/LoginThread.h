#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The "Logging in..." task window: sends the login request on its own thread.
class LoginThread final : public juce::ThreadWithProgressWindow
{
public:
    LoginThread (const juce::String& email, const juce::String& password);
    ~LoginThread() override;

    // On the message thread: refuses an empty e-mail or password, runs the task and reports a
    // cancel; true when the server accepted the login.
    bool login();

    void run() override;

    // On the task thread: sends the request, checks the reply and shows the failure alerts.
    bool requestLogin();

    bool isLoggedIn() const noexcept { return loggedIn; }
    const juce::MemoryBlock& getReply() const noexcept { return reply; }

private:
    juce::MemoryBlock reply;
    juce::String email;
    juce::String password;
    std::atomic<bool> loggedIn{ false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LoginThread)
};
