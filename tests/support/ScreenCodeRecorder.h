#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"

#include <functional>
#include <vector>

// Listens to a screen as the main component does and keeps the codes it sends, in order.
class ScreenCodeRecorder final : public juce::ChangeListener
{
public:
    explicit ScreenCodeRecorder (ScreenCodeBroadcaster& screenToWatch)
        : screen (screenToWatch)
    {
        screen.addChangeListener (this);
    }

    ~ScreenCodeRecorder() override { screen.removeChangeListener (this); }

    void changeListenerCallback (juce::ChangeBroadcaster*) override
    {
        codes.push_back (screen.takeScreenCode());

        if (onCode)
            onCode (codes.back());
    }

    std::vector<juce::uint32> codes;
    std::function<void (juce::uint32)> onCode;

private:
    ScreenCodeBroadcaster& screen;
};
