#include "ui/widgets/PluginManagerAlertWindow.h"

PluginManagerAlertWindow::PluginManagerAlertWindow (const juce::String& title,
                                                    const juce::String& message,
                                                    juce::MessageBoxIconType iconType)
    : juce::AlertWindow (title, message, iconType, nullptr)
{
    // Only the buttons close the window: the escape key would otherwise close it with result 0,
    // which is the first button's answer (for the licence agreement, "Accept").
    setEscapeKeyCancels (false);
}

PluginManagerAlertWindow::~PluginManagerAlertWindow() = default;

void PluginManagerAlertWindow::paint (juce::Graphics& g)
{
    juce::AlertWindow::paint (g);
}

int PluginManagerAlertWindow::runModalLoop()
{
    return juce::Component::runModalLoop();
}
