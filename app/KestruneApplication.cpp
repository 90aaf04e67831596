#include "app/KestruneApplication.h"

#include "app/KestruneMainWindow.h"
#include "localisation/Languages.h"
#include "resources/ResourceArchive.h"
#include "services/ProgramQuit.h"
#include "services/ProgramValues.h"
#include "services/SettingsFiles.h"

#include <iostream>

KestruneApplication::KestruneApplication() = default;
KestruneApplication::~KestruneApplication() = default;

void KestruneApplication::initialise (const juce::String& commandLine)
{
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    ResourceArchive::getInstance();
    initLanguage();
    SettingsFiles::createSettingsFolder();
    eventQueueWaker.start();
    mainWindow = std::make_unique<KestruneMainWindow>();

    if (commandLine.isNotEmpty())
        anotherInstanceStarted (commandLine);
}

void KestruneApplication::shutdown()
{
    mainWindow.reset();
    eventQueueWaker.stop();
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

const juce::String KestruneApplication::getApplicationName()
{
    return "Quorvelan Plugin Manager";
}

const juce::String KestruneApplication::getApplicationVersion()
{
    return getVersionText();
}

bool KestruneApplication::moreThanOneInstanceAllowed()
{
    return false;
}

void KestruneApplication::anotherInstanceStarted (const juce::String&)
{
}

void KestruneApplication::systemRequestedQuit()
{
    ProgramQuit::request();
}

void KestruneApplication::unhandledException (const std::exception* e, const juce::String& sourceFilename, int lineNumber)
{
    std::cerr << buildExceptionReport (e, sourceFilename, lineNumber).toStdString();
    std::cerr.flush();
}

juce::String KestruneApplication::buildExceptionReport (const std::exception* e, const juce::String& sourceFilename, int lineNumber)
{
    auto report = "Exception Caught from File: " + sourceFilename + " LINE: " + juce::String (lineNumber);

    if (e != nullptr && juce::String::fromUTF8 (e->what()).isNotEmpty())
        return report + "\r\nWHAT HAPPENED: " + juce::String::fromUTF8 (e->what());

    return report + "\r\nNO DETAIL GIVEN";
}
