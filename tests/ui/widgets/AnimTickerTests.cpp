#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "ui/widgets/AnimTicker.h"

using WidgetTestSupport::RepaintCountingComponent;
using WidgetTestSupport::SteppedClock;

namespace
{
constexpr float pi = 3.1415927f;

// A running ticker on a stepped clock, ticked by hand: started while it held no animation,
// it has no timer of its own. Its first tick (at 0 ms) starts every animation's clock.
struct SteppedTicker
{
    SteppedTicker()
    {
        ticker.setClock (clock.source());
        ticker.start();
    }

    void tickAt (double ms)
    {
        clock.setMs (ms);
        ticker.timerCallback();
    }

    SteppedClock clock;
    AnimTicker ticker{ nullptr };
};
} // namespace

TEST (AnimTicker, WrapsAndBouncesAtTheEndsOfTheRange)
{
    struct Case
    {
        juce::uint32 type;
        float start;
        double stepMs;
        float afterFirst, phaseAfterFirst, afterSecond;
    };

    // Range 0..1 swept in 1 s, so a step of n ms moves the value by n / 1000 (modulo the span).
    const Case cases[] = {
        { 0, 0.95f, 100, 0.05f, 1.0f, 0.15f },
        { 1, 0.05f, 100, 0.95f, -1.0f, 0.85f },
        { 3, 0.95f, 100, 1.0f, -1.0f, 0.9f },
        { 2, 0.05f, 100, 0.0f, 1.0f, 0.1f },
        { 2, 0.5f, 100, 0.4f, -1.0f, 0.3f },
        { 0, 0.5f, 1250, 0.75f, 1.0f, 1.0f },
        { 1, 0.5f, 2300, 0.2f, -1.0f, 0.9f },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (juce::String ("type ") + juce::String (c.type) + " from " + juce::String (c.start));

        SteppedTicker t;
        t.ticker.addAnimation ("a", c.type, c.start, 0.0f, 1.0f, 1.0f, 20.0f, 0.0f, 0.0f);
        t.tickAt (0);
        EXPECT_EQ (t.ticker.getValue ("a"), c.start);

        t.tickAt (c.stepMs);
        EXPECT_NEAR (t.ticker.getValue ("a"), c.afterFirst, 1.0e-5f);
        EXPECT_EQ (t.ticker.getAnimation (0)->phase, c.phaseAfterFirst);

        t.tickAt (2 * c.stepMs);
        EXPECT_NEAR (t.ticker.getValue ("a"), c.afterSecond, 1.0e-5f);
    }

    // A bounce lands exactly on the end.
    SteppedTicker up;
    up.ticker.addAnimation ("a", 3, 0.95f, 0.0f, 1.0f, 1.0f, 20.0f, 0.0f, 0.0f);
    up.tickAt (0);
    up.tickAt (100);
    EXPECT_EQ (up.ticker.getValue ("a"), 1.0f);

    SteppedTicker down;
    down.ticker.addAnimation ("a", 2, 0.05f, 0.0f, 1.0f, 1.0f, 20.0f, 0.0f, 0.0f);
    down.tickAt (0);
    down.tickAt (100);
    EXPECT_EQ (down.ticker.getValue ("a"), 0.0f);

    // The same at the ends of a range that does not start at 0.
    struct OffsetCase
    {
        juce::uint32 type;
        float start, afterFirst, phaseAfterFirst, afterSecond;
    };

    const OffsetCase offsetCases[] = {
        { 3, 2.95f, 3.0f, -1.0f, 2.9f },
        { 2, 2.05f, 2.0f, 1.0f, 2.1f },
        { 0, 2.95f, 2.05f, 1.0f, 2.15f },
        { 1, 2.05f, 2.95f, -1.0f, 2.85f },
    };

    for (auto& c : offsetCases)
    {
        SCOPED_TRACE (juce::String ("type ") + juce::String (c.type) + " in 2..3 from " + juce::String (c.start));

        SteppedTicker t;
        t.ticker.addAnimation ("a", c.type, c.start, 2.0f, 3.0f, 1.0f, 20.0f, 0.0f, 0.0f);
        t.tickAt (0);
        t.tickAt (100);
        EXPECT_NEAR (t.ticker.getValue ("a"), c.afterFirst, 1.0e-5f);
        EXPECT_EQ (t.ticker.getAnimation (0)->phase, c.phaseAfterFirst);
        t.tickAt (200);
        EXPECT_NEAR (t.ticker.getValue ("a"), c.afterSecond, 1.0e-5f);
    }
}

TEST (AnimTicker, SineAndCosineStartWhereTheStartValueLies)
{
    struct Case
    {
        juce::uint32 type;
        float start, low, high, cycle;
        float phase;
        double quarterMs;
        float afterQuarter;
    };

    const Case cases[] = {
        { 4, 0.0f, 0.0f, 1.0f, 1.0f, -pi / 2, 250, 0.5f },
        { 5, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 250, 0.5f },
        { 4, 0.5f, 0.0f, 1.0f, 1.0f, 0.0f, 250, 1.0f },
        { 5, 0.0f, 0.0f, 1.0f, 1.0f, pi, 250, 0.5f },
        { 4, 2.0f, 2.0f, 4.0f, 1.0f, -pi / 2, 125, 3.0f },
        // "updatebuttonbounce": from 0 up to 1 in half of its 0.75 s swing.
        { 4, 0.0f, 0.0f, 1.0f, 0.75f, -pi / 2, 375, 1.0f },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (juce::String ("type ") + juce::String (c.type) + " from " + juce::String (c.start));

        SteppedTicker t;
        t.ticker.addAnimation ("a", c.type, c.start, c.low, c.high, c.cycle, 10.0f, -1.0f, 0.1f);
        EXPECT_NEAR (t.ticker.getAnimation (0)->phase, c.phase, 1.0e-6f);
        EXPECT_EQ (t.ticker.getValue ("a"), c.start);

        t.tickAt (0);
        t.tickAt (c.quarterMs);
        EXPECT_NEAR (t.ticker.getValue ("a"), c.afterQuarter, 1.0e-5f);
    }

    // At rate 10 a step needs more than 0.1 s: exactly 0.1 s changes nothing.
    SteppedTicker bounce;
    bounce.ticker.addAnimation ("updatebuttonbounce", 4, 0.0f, 0.0f, 1.0f, 0.75f, 10.0f, -1.0f, 0.1f);
    bounce.tickAt (0);
    bounce.tickAt (100);
    EXPECT_EQ (bounce.ticker.getValue ("updatebuttonbounce"), 0.0f);
    bounce.tickAt (101);
    EXPECT_GT (bounce.ticker.getValue ("updatebuttonbounce"), 0.0f);
}

TEST (AnimTicker, SinePhaseIsBroughtBackOnceItPassesTheLimit)
{
    SteppedTicker t;
    t.ticker.addAnimation ("a", 4, 0.0f, 0.0f, 1.0f, 1.0f, 10.0f, 0.0f, 0.0f);
    t.tickAt (0);

    // A long pause: 100001 cycles at once.
    t.tickAt (100001.0 * 1000.0);
    auto bigPhase = t.ticker.getAnimation (0)->phase;
    ASSERT_GT (bigPhase, 628318.5625f);

    t.tickAt (100001.0 * 1000.0 + 250.0);
    auto phase = t.ticker.getAnimation (0)->phase;
    EXPECT_FLOAT_EQ (phase, (bigPhase - 628318.5625f) + 0.25f * 6.2831855f);
    EXPECT_LT (phase, 20.0f);
    EXPECT_NEAR (t.ticker.getValue ("a"), 0.5f + 0.5f * std::sin (phase), 1.0e-5f);

    // Below the limit nothing is taken off.
    t.tickAt (100001.0 * 1000.0 + 500.0);
    EXPECT_FLOAT_EQ (t.ticker.getAnimation (0)->phase, phase + 0.25f * 6.2831855f);
}

TEST (AnimTicker, EasesInHoldsAtTheTopAndEasesOut)
{
    // Duration 1 s, ease time 0.2 s; values at 0.1 s (easing in), 0.5 s (holding),
    // 0.9 s (easing out, half way) and 1.0 s (end of the ease out).
    const auto half = (std::sin (pi / 4) + 1.0f) * 0.5f;

    struct Case
    {
        juce::uint32 type;
        float low, high;
        float values[4];
    };

    const Case cases[] = {
        { 6, 0.0f, 1.0f, { half, 1.0f, half, 0.5f } },
        { 7, 0.0f, 1.0f, { half, 1.0f, 1.0f, 1.0f } },
        { 8, 0.0f, 1.0f, { 1.0f, 1.0f, half, 0.5f } },
        // Holding stays at the top of a range that does not start at 0.
        { 6, 0.5f, 1.5f, { 0.5f + half, 1.5f, 0.5f + half, 1.0f } },
        { 8, -2.0f, 2.0f, { 2.0f, 2.0f, -2.0f + 4.0f * half, 0.0f } },
    };

    const double times[] = { 100, 500, 900, 1000 };

    for (auto& c : cases)
    {
        SCOPED_TRACE (juce::String ("type ") + juce::String (c.type) + " low " + juce::String (c.low));

        SteppedTicker t;
        t.ticker.addAnimation ("a", c.type, c.low, c.low, c.high, 1.0f, 100.0f, 1.0f, 0.2f);
        EXPECT_FLOAT_EQ (t.ticker.getAnimation (0)->easeTime, 0.2f);
        t.tickAt (0);

        for (int i = 0; i < 4; ++i)
        {
            t.tickAt (times[i]);
            EXPECT_NEAR (t.ticker.getValue ("a"), c.values[i], 1.0e-4f) << "at " << times[i] << " ms";
        }
    }

    // Endless: the ease time is 1 s whatever the fraction, and it never finishes.
    SteppedTicker endless;
    endless.ticker.addAnimation ("a", 7, 0.0f, 0.0f, 1.0f, 4.0f, 100.0f, 0.0f, 0.2f);
    EXPECT_EQ (endless.ticker.getAnimation (0)->easeTime, 1.0f);
    endless.tickAt (0);
    endless.tickAt (500);
    EXPECT_NEAR (endless.ticker.getValue ("a"), half, 1.0e-4f);
    endless.tickAt (60000);
    EXPECT_EQ (endless.ticker.getValue ("a"), 1.0f);
    EXPECT_FALSE (endless.ticker.isFinished ("a"));
}

TEST (AnimTicker, ElapsedGrowsByEveryMeasuredInterval)
{
    // Period 25 ms. Ticks at 10, 20 and 30 ms measure 10, 20 and 30 ms from the same reference
    // time, as only the last exceeds the period: elapsed reaches 60 ms after 30 ms of clock.
    SteppedTicker t;
    t.ticker.addAnimation ("timed", 0, 0.5f, 0.0f, 1.0f, 1.0f, 40.0f, 0.055f, 0.0f);
    t.ticker.addAnimation ("endless", 0, 0.5f, 0.0f, 1.0f, 1.0f, 40.0f, 0.0f, 0.0f);

    t.tickAt (0);
    t.tickAt (10);
    t.tickAt (20);
    EXPECT_NEAR (t.ticker.getAnimation (0)->elapsed, 0.03f, 1.0e-6f);
    EXPECT_FALSE (t.ticker.isFinished ("timed"));
    EXPECT_EQ (t.ticker.getValue ("endless"), 0.5f);

    t.tickAt (30);
    EXPECT_NEAR (t.ticker.getAnimation (0)->elapsed, 0.06f, 1.0e-6f);
    EXPECT_TRUE (t.ticker.isFinished ("timed"));
    EXPECT_NEAR (t.ticker.getValue ("endless"), 0.53f, 1.0e-6f);

    // The step moved the reference time to 30 ms: 10 ms later is no step, 30 ms later is.
    t.tickAt (40);
    EXPECT_NEAR (t.ticker.getValue ("endless"), 0.53f, 1.0e-6f);
    t.tickAt (60);
    EXPECT_NEAR (t.ticker.getValue ("endless"), 0.56f, 1.0e-6f);

    // Finished stays finished and frozen, until restarted.
    auto frozen = t.ticker.getValue ("timed");
    t.tickAt (500);
    EXPECT_EQ (t.ticker.getValue ("timed"), frozen);
    EXPECT_NEAR (t.ticker.getAnimation (0)->elapsed, 0.06f, 1.0e-6f);

    t.ticker.restart ("timed");
    EXPECT_FALSE (t.ticker.isFinished ("timed"));
    EXPECT_EQ (t.ticker.getValue ("timed"), 0.5f);
    EXPECT_EQ (t.ticker.getAnimation (0)->elapsed, 0.0f);
}

TEST (AnimTicker, RepaintsAttachedComponentsOnEveryTick)
{
    SteppedTicker t;
    RepaintCountingComponent box, other;
    t.ticker.addAnimation ("slide", 5, 1.0f, 0.0f, 1.0f, 0.9f, 50.0f, 0.6f, 0.1f);
    t.ticker.attach ("slide", &box);
    t.ticker.start();
    box.reset();

    // The first tick after a restart only starts the clock, but still repaints.
    t.tickAt (0);
    EXPECT_EQ (t.ticker.getValue ("slide"), 1.0f);
    EXPECT_EQ (box.getRepaints(), 1);

    // A tick too soon for a step repaints all the same.
    t.tickAt (10);
    EXPECT_EQ (t.ticker.getValue ("slide"), 1.0f);
    EXPECT_EQ (box.getRepaints(), 2);

    // Attached twice: two repaints a tick; one detach takes one away.
    t.ticker.attach ("slide", &box);
    t.ticker.attach ("slide", &other);
    box.reset();
    t.tickAt (40);
    EXPECT_LT (t.ticker.getValue ("slide"), 1.0f);
    EXPECT_EQ (box.getRepaints(), 2);
    EXPECT_EQ (other.getRepaints(), 1);

    t.ticker.detach ("slide", &box);
    box.reset();
    t.tickAt (70);
    EXPECT_EQ (box.getRepaints(), 1);

    // Stopped: nothing moves or repaints, and the first tick after the pause takes one large
    // step measured from the last step before it.
    t.ticker.stop();
    EXPECT_TRUE (t.ticker.isStopped());
    box.reset();
    auto paused = t.ticker.getValue ("slide");
    t.tickAt (1000);
    EXPECT_EQ (box.getRepaints(), 0);
    EXPECT_EQ (t.ticker.getValue ("slide"), paused);
    EXPECT_FALSE (t.ticker.isFinished ("slide"));

    t.ticker.start();
    t.tickAt (1010);
    EXPECT_EQ (box.getRepaints(), 1);
    EXPECT_TRUE (t.ticker.isFinished ("slide"));

    // Finished: no more repaints.
    box.reset();
    other.reset();
    t.tickAt (1100);
    EXPECT_EQ (box.getRepaints(), 0);
    EXPECT_EQ (other.getRepaints(), 0);

    // Restarted: the first tick, however late, only starts the clock again, and repaints.
    t.ticker.restart ("slide");
    t.tickAt (5000);
    EXPECT_EQ (t.ticker.getValue ("slide"), 1.0f);
    EXPECT_EQ (t.ticker.getAnimation (0)->elapsed, 0.0f);
    EXPECT_EQ (box.getRepaints(), 1);
    EXPECT_EQ (other.getRepaints(), 1);
    t.tickAt (5030);
    EXPECT_LT (t.ticker.getValue ("slide"), 1.0f);
    t.ticker.stop();
}

TEST (AnimTicker, OwnerIsRepaintedAfterEveryRunningTick)
{
    RepaintCountingComponent owner;
    SteppedClock clock;
    AnimTicker ticker (&owner);
    ticker.setClock (clock.source());

    ticker.timerCallback();
    EXPECT_EQ (owner.getRepaints(), 0) << "born stopped";

    ticker.addAnimation ("a", 0, 0.0f, 0.0f, 1.0f, 1.0f, 10.0f, 0.0f, 0.0f);
    ticker.start();
    ticker.timerCallback();
    ticker.timerCallback();
    EXPECT_EQ (owner.getRepaints(), 2);
    ticker.stop();
}

TEST (AnimTicker, ComponentsDestroyedWhileAttachedAreSkipped)
{
    SteppedTicker t;
    RepaintCountingComponent kept;
    t.ticker.addAnimation ("a", 0, 0.0f, 0.0f, 1.0f, 1.0f, 10.0f, 0.0f, 0.0f);

    {
        RepaintCountingComponent gone;
        t.ticker.attach ("a", &gone);
        t.ticker.attach ("a", &kept);
    }

    t.ticker.start();
    t.tickAt (0);
    t.tickAt (200);
    EXPECT_EQ (kept.getRepaints(), 2);
    EXPECT_NEAR (t.ticker.getValue ("a"), 0.2f, 1.0e-6f);
    t.ticker.stop();
}

TEST (AnimTicker, NamesAreMatchedExactlyAndTheFirstOfSeveralIsUsed)
{
    SteppedTicker t;
    RepaintCountingComponent component;
    t.ticker.addAnimation ("twin", 0, 0.1f, 0.0f, 1.0f, 1.0f, 20.0f, 0.0f, 0.0f);
    t.ticker.addAnimation ("twin", 0, 0.6f, 0.0f, 1.0f, 1.0f, 20.0f, 0.2f, 0.0f);
    t.ticker.start();

    // Unknown or differently written names: 0, not finished, no effect.
    for (auto* name : { "", "Twin", "twin ", "nothing" })
    {
        EXPECT_EQ (t.ticker.getValue (name), 0.0f) << name;
        EXPECT_FALSE (t.ticker.isFinished (name)) << name;
        t.ticker.restart (name);
        t.ticker.attach (name, &component);
        t.ticker.detach (name, &component);
    }

    t.tickAt (0);
    EXPECT_EQ (component.getRepaints(), 0);

    // Only the first gets the component.
    t.ticker.attach ("twin", &component);
    t.tickAt (300);
    EXPECT_EQ (component.getRepaints(), 1);
    EXPECT_NEAR (t.ticker.getValue ("twin"), 0.4f, 1.0e-6f);
    EXPECT_NEAR (t.ticker.getValueAt (1), 0.9f, 1.0e-6f);
    EXPECT_FALSE (t.ticker.isFinished ("twin")) << "the first is endless, the second finished";
    EXPECT_TRUE (t.ticker.isFinishedAt (1));

    // Restart by name restarts both.
    t.ticker.restart ("twin");
    EXPECT_EQ (t.ticker.getValueAt (0), 0.1f);
    EXPECT_EQ (t.ticker.getValueAt (1), 0.6f);
    EXPECT_FALSE (t.ticker.isFinishedAt (1));

    // Removing by name takes the first away.
    t.ticker.remove ("twin");
    ASSERT_EQ (t.ticker.getNumAnimations(), 1);
    EXPECT_EQ (t.ticker.getValue ("twin"), 0.6f);
    t.ticker.stop();
}

TEST (AnimTicker, OperationsByPosition)
{
    SteppedTicker t;
    RepaintCountingComponent component;
    t.ticker.addAnimation ("a", 0, 0.25f, 0.0f, 1.0f, 1.0f, 20.0f, 0.0f, 0.0f);
    t.ticker.addAnimation ("b", 1, 0.75f, 0.0f, 1.0f, 1.0f, 20.0f, 0.1f, 0.0f);
    t.ticker.start();

    t.ticker.attachAt (1, &component);
    t.ticker.attachAt (1, &component);
    t.tickAt (0);
    EXPECT_EQ (component.getRepaints(), 2);
    t.ticker.detachAt (1, &component);
    t.tickAt (200);
    EXPECT_EQ (component.getRepaints(), 3);
    EXPECT_NEAR (t.ticker.getValueAt (0), 0.45f, 1.0e-6f);
    EXPECT_NEAR (t.ticker.getValueAt (1), 0.55f, 1.0e-6f);
    EXPECT_TRUE (t.ticker.isFinishedAt (1));

    t.ticker.restartAt (1);
    EXPECT_EQ (t.ticker.getValueAt (1), 0.75f);
    EXPECT_FALSE (t.ticker.isFinishedAt (1));
    EXPECT_NEAR (t.ticker.getValueAt (0), 0.45f, 1.0e-6f);

    // Outside the list: nothing happens.
    for (int index : { -1, 2, 100 })
    {
        EXPECT_EQ (t.ticker.getValueAt (index), 0.0f);
        EXPECT_FALSE (t.ticker.isFinishedAt (index));
        t.ticker.restartAt (index);
        t.ticker.attachAt (index, &component);
        t.ticker.detachAt (index, &component);
        t.ticker.removeAt (index);
    }

    EXPECT_EQ (t.ticker.getNumAnimations(), 2);

    t.ticker.removeAt (0);
    ASSERT_EQ (t.ticker.getNumAnimations(), 1);
    EXPECT_EQ (t.ticker.getValue ("a"), 0.0f);
    EXPECT_EQ (t.ticker.getValueAt (0), 0.75f);
    t.ticker.stop();
}

TEST (AnimTicker, TimerRunsAtTwiceTheFastestRate)
{
    struct Case
    {
        float rate;
        int interval;
    };

    // Truncated toward zero; the framework raises an interval below 1 ms to 1 ms.
    const Case cases[] = { { 10.0f, 50 }, { 50.0f, 10 }, { 30.0f, 16 }, { 0.5f, 1000 }, { 3000.0f, 1 } };

    for (auto& c : cases)
    {
        AnimTicker ticker (nullptr);
        ticker.addAnimation ("a", 4, 0.0f, 0.0f, 1.0f, 1.0f, c.rate, 0.0f, 0.0f);
        EXPECT_TRUE (ticker.isStopped());
        EXPECT_FALSE (ticker.isTimerRunning());

        ticker.start();
        EXPECT_FALSE (ticker.isStopped());
        EXPECT_TRUE (ticker.isTimerRunning());
        EXPECT_EQ (ticker.getTimerInterval(), c.interval) << c.rate;
        ticker.stop();
        EXPECT_FALSE (ticker.isTimerRunning());
    }

    // A faster animation counts from the next start; a slower one never lowers the rate.
    AnimTicker ticker (nullptr);
    ticker.addAnimation ("slow", 4, 0.0f, 0.0f, 1.0f, 1.0f, 10.0f, 0.0f, 0.0f);
    ticker.start();
    ticker.addAnimation ("fast", 4, 0.0f, 0.0f, 1.0f, 1.0f, 50.0f, 0.0f, 0.0f);
    EXPECT_EQ (ticker.getTimerInterval(), 50);
    ticker.start();
    EXPECT_EQ (ticker.getTimerInterval(), 10);
    ticker.addAnimation ("slower", 4, 0.0f, 0.0f, 1.0f, 1.0f, 5.0f, 0.0f, 0.0f);
    ticker.remove ("fast");
    EXPECT_EQ (ticker.getFastestRate(), 50.0f);
    ticker.stop();

    // Nothing to animate: started, but no timer.
    AnimTicker empty (nullptr);
    empty.start();
    EXPECT_FALSE (empty.isStopped());
    EXPECT_FALSE (empty.isTimerRunning());
}
