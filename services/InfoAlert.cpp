#include "services/InfoAlert.h"

void InfoAlert::show (const juce::String& titleKey, const juce::String& messageKey, const juce::String& buttonKey)
{
    juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::InfoIcon,
                                       juce::translate (titleKey),
                                       juce::translate (messageKey),
                                       juce::translate (buttonKey));
}
