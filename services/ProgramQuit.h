#pragma once

// Ends the program: every quit (prompts, the bar, the window's close button, the licence step,
// the self-update) goes through here, so the message loop ends at once wherever it is asked.
// Message thread only.
class ProgramQuit final
{
public:
    static void request();

private:
    ProgramQuit() = delete;
};
