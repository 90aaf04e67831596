#pragma once

#include "ui/widgets/TickerAnimation.h"

#include <functional>

// Drives named animations on a timer: each tick advances every animation and repaints the
// components attached to it, which read the new value by name while painting.
class AnimTicker final : public juce::Timer
{
public:
    // The owner, when given, is repainted after every tick while running.
    explicit AnimTicker (juce::Component* ownerComponent);
    ~AnimTicker() override;

    //==============================================================================
    // Appends a new animation, restarted; several may share a name.
    void addAnimation (const char* name, juce::uint32 type,
                       float startValue, float low, float high,
                       float cycleTime, float rate, float duration, float easeFraction);

    // Ticks at twice the fastest rate added so far.
    void start();
    void stop();
    bool isStopped() const noexcept { return stopped; }

    // By name: restart acts on every animation with the name, the others on the first.
    void restart (const char* name);
    float getValue (const char* name) const;
    bool isFinished (const char* name) const;
    void attach (const char* name, juce::Component* component);
    void detach (const char* name, juce::Component* component);
    void remove (const char* name);

    // By 0-based position; a position outside the list does nothing.
    void restartAt (int index);
    float getValueAt (int index) const;
    bool isFinishedAt (int index) const;
    void attachAt (int index, juce::Component* component);
    void detachAt (int index, juce::Component* component);
    void removeAt (int index);

    int getNumAnimations() const noexcept { return animations.size(); }
    const TickerAnimation* getAnimation (int index) const noexcept { return animations[index]; }
    float getFastestRate() const noexcept { return fastestRate; }

    // Where the time comes from: juce::Time::getHighResolutionTicks unless replaced.
    void setClock (std::function<juce::int64()> newClock);

    //==============================================================================
    // One tick: advances every animation in order, then repaints the owner.
    void timerCallback() override;

private:
    TickerAnimation* findFirst (const char* name) const;
    static void attachTo (TickerAnimation* animation, juce::Component* component);
    static void detachFrom (TickerAnimation* animation, juce::Component* component);

    juce::Component::SafePointer<juce::Component> owner;
    bool stopped = true;
    float fastestRate = 0.0f;
    juce::OwnedArray<TickerAnimation> animations;
    std::function<juce::int64()> clock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AnimTicker)
};
