#include "platform/PlatformAuthorization.h"

#include "platform/Descriptors.h"
#include "platform/PrivilegedTools.h"
#include "platform/ProcessRunner.h"

#include <unistd.h>

namespace
{

// One line from the helper, without its line end; false at the end of its output.
bool readLine (int fd, juce::String& line)
{
    std::string text;
    char c = 0;

    for (;;)
    {
        auto numRead = read (fd, &c, 1);

        if (numRead < 0 && errno == EINTR)
            continue;

        if (numRead <= 0)
            return false;

        if (c == '\n')
            break;

        text.push_back (c);
    }

    line = juce::String (text);
    return true;
}

std::vector<std::string> toStandardStrings (const juce::StringArray& texts)
{
    std::vector<std::string> result;

    for (auto& text : texts)
        result.push_back (text.toStdString());

    return result;
}
} // namespace

PlatformAuthorization::PlatformAuthorization (const Options& optionsToUse)
    : options (optionsToUse)
{
    if (options.helperProgram.isEmpty())
        options.helperProgram = juce::File::getSpecialLocation (juce::File::currentExecutableFile)
                                    .getSiblingFile (getHelperName())
                                    .getFullPathName();

    runsDirectly = options.runDirectlyWhenRoot && ProcessRunner::isRoot();
}

PlatformAuthorization::~PlatformAuthorization()
{
    free (0);
}

std::unique_ptr<PlatformAuthorization> PlatformAuthorization::create (const Options& options)
{
    std::unique_ptr<PlatformAuthorization> authorization (new PlatformAuthorization (options));

    if (! authorization->runsDirectly)
    {
        auto isExecutable = [] (const juce::String& path)
        { return juce::File::isAbsolutePath (path) && access (path.toRawUTF8(), X_OK) == 0; };

        if (! isExecutable (authorization->options.elevationProgram) || ! isExecutable (authorization->options.helperProgram))
            return {};
    }

    return authorization;
}

bool PlatformAuthorization::copyRights (const char* rightName, int, const juce::StringArray& placesToHold)
{
    if (freed || granted || juce::String (rightName) != adminRight || placesToHold.isEmpty() || placesToHold.contains ({}))
        return granted && ! freed;

    places = std::make_unique<PrivilegedPlaces> (toStandardStrings (placesToHold), options.temporaryFolder.toStdString(), (long) getuid());

    if (runsDirectly)
    {
        std::string refused;
        granted = places->hold (refused);
    }
    else
    {
        granted = startHelper (placesToHold);
    }

    if (! granted)
        places.reset();

    return granted;
}

bool PlatformAuthorization::startHelper (const juce::StringArray& placesToHold)
{
    juce::StringArray arguments{ options.elevationProgram, options.helperProgram };
    arguments.addArray (placesToHold);
    helperPid = ProcessRunner::startWithPipes (arguments, toHelper, fromHelper);

    if (helperPid < 0)
        return false;

    // The helper says "ready" once it runs with the rights and holds every place; a refused or
    // cancelled prompt, or a refused place, ends it without that.
    juce::String line;

    if (readLine (fromHelper, line) && line == "ready")
        return true;

    stopHelper();
    return false;
}

void PlatformAuthorization::stopHelper()
{
    if (toHelper >= 0)
        close (toHelper);

    if (fromHelper >= 0)
        close (fromHelper);

    toHelper = fromHelper = -1;

    if (helperPid > 0)
        ProcessRunner::wait (helperPid);

    helperPid = -1;
}

bool PlatformAuthorization::isAllowedTool (const juce::String& toolPath)
{
    return PrivilegedTools::isAllowed (toolPath.toRawUTF8());
}

bool PlatformAuthorization::executeWithPrivileges (const juce::String& toolPath, const juce::StringArray& arguments)
{
    // The helper ends a command at an empty argument, so none may be sent.
    if (! granted || freed || places == nullptr || ! isAllowedTool (toolPath) || arguments.contains (juce::String()))
        return false;

    juce::StringArray command (toolPath);
    command.addArray (arguments);

    // Only commands inside the places are sent at all.
    const auto words = toStandardStrings (command);

    if (! places->accepts (words))
        return false;

    if (runsDirectly)
    {
        commandLog.add (command);
        return places->run (words) == 0;
    }

    juce::MemoryOutputStream message;

    for (auto& argument : command)
    {
        message << argument;
        message.writeByte (0);
    }

    message.writeByte (0);

    if (! Descriptors::writeAll (toHelper, message.getData(), message.getDataSize()))
        return false;

    juce::String status;

    if (! readLine (fromHelper, status))
        return false;

    // Only the command's own success counts: a refusal (-1), a tool that could not start (127)
    // or any failure of the tool is a failure.
    commandLog.add (command);
    return status == "0";
}

void PlatformAuthorization::free (int flags)
{
    stopHelper();

    if ((flags & flagDestroyRights) != 0)
    {
        places.reset();
        granted = false;
        freed = true;
    }
}
