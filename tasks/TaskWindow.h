#pragma once

#include <juce_core/juce_core.h>

// What every task window shares.
namespace TaskWindow
{
// The cancel button's text, shown as it stands in every language.
inline const juce::String cancelButtonText{ "Cancel" };

// How long a cancelled window waits for its thread.
constexpr int stopTimeoutMs = 10000;

constexpr auto priority = juce::Thread::Priority::normal;
} // namespace TaskWindow
