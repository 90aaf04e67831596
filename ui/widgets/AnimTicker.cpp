#include "ui/widgets/AnimTicker.h"

AnimTicker::AnimTicker (juce::Component* ownerComponent)
    : owner (ownerComponent)
    , clock ([]
             { return juce::Time::getHighResolutionTicks(); })
{
}

AnimTicker::~AnimTicker()
{
    stopped = true;
    stopTimer();
}

//==============================================================================
void AnimTicker::addAnimation (const char* name, juce::uint32 type,
                               float startValue, float low, float high,
                               float cycleTime, float rate, float duration, float easeFraction)
{
    if (rate > fastestRate)
        fastestRate = rate;

    auto animation = std::make_unique<TickerAnimation>();
    animation->name = name;
    animation->type = type;
    animation->startValue = startValue;
    animation->value = startValue;
    animation->low = low;
    animation->high = high;
    animation->rate = rate;
    animation->cycleTime = cycleTime;
    animation->duration = duration;
    animation->stepPeriod = 1.0f / rate;
    animation->easeTime = duration > 0.0f ? easeFraction * cycleTime : 1.0f;
    animation->restart (clock());

    animations.add (animation.release());
}

void AnimTicker::start()
{
    stopped = false;

    // With no animation there is nothing to time.
    if (fastestRate > 0.0f)
        startTimer ((int) (1000.0f / (2.0f * fastestRate)));
}

void AnimTicker::stop()
{
    stopped = true;
    stopTimer();
}

//==============================================================================
void AnimTicker::restart (const char* name)
{
    const juce::String wanted (name);

    for (auto* animation : animations)
        if (animation->name == wanted)
            animation->restart (clock());
}

float AnimTicker::getValue (const char* name) const
{
    auto* animation = findFirst (name);
    return animation != nullptr ? animation->value : 0.0f;
}

bool AnimTicker::isFinished (const char* name) const
{
    auto* animation = findFirst (name);
    return animation != nullptr && animation->isFinished();
}

void AnimTicker::attach (const char* name, juce::Component* component)
{
    attachTo (findFirst (name), component);
}

void AnimTicker::detach (const char* name, juce::Component* component)
{
    detachFrom (findFirst (name), component);
}

void AnimTicker::remove (const char* name)
{
    animations.removeObject (findFirst (name));
}

//==============================================================================
void AnimTicker::restartAt (int index)
{
    if (auto* animation = animations[index])
        animation->restart (clock());
}

float AnimTicker::getValueAt (int index) const
{
    auto* animation = animations[index];
    return animation != nullptr ? animation->value : 0.0f;
}

bool AnimTicker::isFinishedAt (int index) const
{
    auto* animation = animations[index];
    return animation != nullptr && animation->isFinished();
}

void AnimTicker::attachAt (int index, juce::Component* component)
{
    attachTo (animations[index], component);
}

void AnimTicker::detachAt (int index, juce::Component* component)
{
    detachFrom (animations[index], component);
}

void AnimTicker::removeAt (int index)
{
    animations.remove (index);
}

void AnimTicker::setClock (std::function<juce::int64()> newClock)
{
    clock = std::move (newClock);
}

//==============================================================================
void AnimTicker::timerCallback()
{
    if (stopped)
        return;

    for (auto* animation : animations)
        animation->advance (clock());

    if (owner != nullptr)
        owner->repaint();
}

//==============================================================================
TickerAnimation* AnimTicker::findFirst (const char* name) const
{
    const juce::String wanted (name);

    for (auto* animation : animations)
        if (animation->name == wanted)
            return animation;

    return nullptr;
}

void AnimTicker::attachTo (TickerAnimation* animation, juce::Component* component)
{
    if (animation != nullptr)
        animation->attached.emplace_back (component);
}

void AnimTicker::detachFrom (TickerAnimation* animation, juce::Component* component)
{
    if (animation == nullptr)
        return;

    auto& list = animation->attached;

    for (auto it = list.begin(); it != list.end(); ++it)
    {
        if (it->getComponent() == component)
        {
            list.erase (it);
            return;
        }
    }
}
