#pragma once

#include "platform/XEventQueueWaker.h"
#include "ui/widgets/ProgramLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

class KestruneMainWindow;

class KestruneApplication final : public juce::JUCEApplication
{
public:
    KestruneApplication();
    ~KestruneApplication() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;
    void unhandledException (const std::exception* e, const juce::String& sourceFilename, int lineNumber) override;

    // The text written to the standard error stream for an exception that reached the application.
    static juce::String buildExceptionReport (const std::exception* e, const juce::String& sourceFilename, int lineNumber);

private:
    ProgramLookAndFeel lookAndFeel;
    XEventQueueWaker eventQueueWaker;
    std::unique_ptr<KestruneMainWindow> mainWindow;
};
