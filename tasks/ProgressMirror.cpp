#include "tasks/ProgressMirror.h"

ProgressMirror::ProgressMirror (juce::ThreadWithProgressWindow& windowToFeed)
    : window (windowToFeed)
{
    startTimer (20);
}

ProgressMirror::~ProgressMirror()
{
    stopTimer();
}

void ProgressMirror::timerCallback()
{
    window.setProgress (value.load());
}
