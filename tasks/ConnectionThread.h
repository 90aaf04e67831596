#pragma once

#include "tasks/ProgressMirror.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The "Connecting..." task window: fetches the product catalogue from the server on its own
// thread, moving the bar as products are built.
class ConnectionThread final : public juce::ThreadWithProgressWindow
{
public:
    ConnectionThread();
    ~ConnectionThread() override;

    void run() override;

private:
    ProgressMirror buildProgress{ *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConnectionThread)
};

// Runs a ConnectionThread to its end.
void runConnectionWindow();
