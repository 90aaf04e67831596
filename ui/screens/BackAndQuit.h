#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"
#include "ui/widgets/BulkButtonBar.h"

namespace BackAndQuit
{
// For a screen whose bar offers back and quit: back sends the back code, quit ends the program,
// the other bar buttons do nothing. The screen tests its own buttons first.
void handleBarButton (ScreenCodeBroadcaster& screen, const BulkButtonBar& bar, const juce::Button* button, int backCode);
} // namespace BackAndQuit
