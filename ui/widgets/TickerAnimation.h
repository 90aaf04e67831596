#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

// One named animation of an AnimTicker: a value that moves over time along one of nine curves.
// Times are in seconds, reference times in high-resolution ticks; all arithmetic is 32-bit float.
struct TickerAnimation final
{
    enum Curve : juce::uint32
    {
        wrapUp = 0,
        wrapDown = 1,
        pingPongDown = 2,
        pingPongUp = 3,
        sine = 4,
        cosine = 5,
        easeInHoldEaseOut = 6,
        easeInHold = 7,
        holdEaseOut = 8
    };

    juce::String name;
    juce::uint32 type = wrapUp;
    // Not owned; an entry whose component has gone is skipped.
    std::vector<juce::Component::SafePointer<juce::Component>> attached;
    float easeTime = 1.0f;
    float startValue = 0.0f;
    float low = 0.0f;
    float high = 1.0f;
    float rate = 0.0f;
    float cycleTime = 0.0f;
    float stepPeriod = 0.0f;
    float duration = 0.0f;
    float elapsed = 0.0f;
    float phase = 1.0f;
    juce::int64 referenceTime = 0;
    bool firstTick = true;
    float value = 0.0f;

    // Back to the start value; the next measurement only sets the reference time.
    void restart (juce::int64 now);

    // The time since the reference time (0 on the first tick after a restart), added to elapsed.
    // The reference time moves to now only when the interval exceeds the step period.
    float measureInterval (juce::int64 now);

    bool isFinished() const noexcept;

    // One tick: steps the value when more than a step period has passed, then repaints the
    // attached components. A finished animation does nothing.
    void advance (juce::int64 now);

private:
    void step (float interval);
    void applyEase();
};
