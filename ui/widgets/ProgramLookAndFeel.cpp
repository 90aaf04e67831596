#include "ui/widgets/ProgramLookAndFeel.h"

#include "ui/widgets/DeferredNativeWindow.h"
#include "ui/widgets/ModalWindowStacking.h"

ProgramLookAndFeel::ProgramLookAndFeel() = default;
ProgramLookAndFeel::~ProgramLookAndFeel() = default;

juce::AlertWindow* ProgramLookAndFeel::createAlertWindow (const juce::String& title, const juce::String& message,
                                                          const juce::String& button1, const juce::String& button2,
                                                          const juce::String& button3, juce::MessageBoxIconType iconType,
                                                          int numButtons, juce::Component* associatedComponent)
{
    auto* window = juce::LookAndFeel_V4::createAlertWindow (title, message, button1, button2, button3,
                                                            iconType, numButtons, associatedComponent);
    ModalWindowStacking::watch (*window);
    DeferredNativeWindow::deferUntilShown (*window);
    return window;
}
