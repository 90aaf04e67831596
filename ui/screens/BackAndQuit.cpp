#include "ui/screens/BackAndQuit.h"

#include "services/ProgramQuit.h"

void BackAndQuit::handleBarButton (ScreenCodeBroadcaster& screen, const BulkButtonBar& bar, const juce::Button* button, int backCode)
{
    switch (bar.indexOfButton (button))
    {
        case 0:
            screen.sendScreenCode (backCode);
            break;

        case 2:
            ProgramQuit::request();
            break;

        default:
            break;
    }
}
