#include "ui/widgets/TickerAnimation.h"

#include <cmath>

namespace
{
constexpr float halfPi = 1.5707964f;
constexpr float twoPi = 6.2831855f;

// Sine and cosine angles are brought back by this much (100000 turns) once they pass it.
constexpr float phaseLimit = 628318.5625f;
} // namespace

void TickerAnimation::restart (juce::int64 now)
{
    firstTick = true;
    referenceTime = now;
    value = startValue;
    elapsed = 0.0f;

    switch (type)
    {
        case wrapUp:
        case pingPongUp:
        case easeInHoldEaseOut:
        case easeInHold:
        case holdEaseOut:
            phase = 1.0f;
            break;

        case wrapDown:
        case pingPongDown:
            phase = -1.0f;
            break;

        case sine:
        case cosine:
        {
            // Where the start value lies in the range, kept inside it so that the angle is defined.
            auto span = high - low;
            auto n = span != 0.0f ? (startValue - low) / span : 0.0f;
            n = juce::jlimit (0.0f, 1.0f, n);
            phase = type == sine ? asinf (2.0f * n - 1.0f) : acosf (2.0f * n - 1.0f);
            break;
        }

        default:
            break;
    }
}

float TickerAnimation::measureInterval (juce::int64 now)
{
    auto interval = 0.0f;

    if (firstTick)
    {
        firstTick = false;
        referenceTime = now;
    }
    else
    {
        interval = (float) juce::Time::highResolutionTicksToSeconds (now - referenceTime);
    }

    if (interval > stepPeriod)
        referenceTime = now;

    elapsed += interval;
    return interval;
}

bool TickerAnimation::isFinished() const noexcept
{
    return duration > 0.0f && elapsed >= duration;
}

void TickerAnimation::advance (juce::int64 now)
{
    if (isFinished())
        return;

    auto interval = measureInterval (now);

    if (interval > stepPeriod && type <= holdEaseOut)
        step (interval);

    for (auto& component : attached)
        if (component != nullptr)
            component->repaint();
}

void TickerAnimation::step (float interval)
{
    auto span = high - low;
    auto x = interval * span / cycleTime;

    switch (type)
    {
        case wrapUp:
        case wrapDown:
            value += fmodf (x, span) * phase;

            if (value > high)
                value = low + (value - high);
            else if (value < low)
                value = high - (low - value);

            break;

        case pingPongDown:
        case pingPongUp:
            value += fmodf (x, span) * phase;

            if (value > high)
            {
                value = high;
                phase = -phase;
            }
            else if (value < low)
            {
                value = low;
                phase = -phase;
            }

            break;

        case sine:
        case cosine:
            if (phase > phaseLimit)
                phase -= phaseLimit;

            phase += x * twoPi;
            value = low + span * ((type == sine ? sinf (phase) : cosf (phase)) + 1.0f) * 0.5f;
            break;

        default:
            applyEase();
            break;
    }
}

void TickerAnimation::applyEase()
{
    auto span = high - low;
    auto easingIn = type != holdEaseOut && elapsed < easeTime;
    auto easingOut = ! easingIn && type != easeInHold
                     && duration > 0.0f && elapsed > duration - easeTime;

    if (easingIn)
    {
        auto k = (sinf (elapsed / easeTime * halfPi) + 1.0f) * 0.5f;
        value = low + k * span;
    }
    else if (easingOut)
    {
        auto a = (elapsed - (duration - easeTime)) / easeTime;
        auto k = (sinf (a * halfPi + halfPi) + 1.0f) * 0.5f;
        value = low + k * span;
    }
    else
    {
        // Held at the top of the range, where easing in ends and easing out begins.
        value = high;
    }
}
