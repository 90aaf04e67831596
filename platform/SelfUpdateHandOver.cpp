#include "platform/SelfUpdateHandOver.h"

#include "platform/ProcessRunner.h"

#include <cstdlib>

juce::String SelfUpdateHandOver::quoteForShell (const juce::String& text)
{
    return "'" + text.replace ("'", "'\\''") + "'";
}

juce::StringArray SelfUpdateHandOver::buildScriptLines (const Options& options)
{
    const auto temp = options.tempFolder;
    const auto& authorization = options.authorization;

    // The executable's name, not the process name (cut to 15 bytes) nor the command line (the
    // script's own holds the name); only this user's processes count.
    const juce::String findManager = "p=$(for d in /proc/[0-9]*; do [ -O \"$d\" ] || continue; "
                                     "e=$(readlink \"$d/exe\" 2>/dev/null) || continue; "
                                     "case \"${e##*/}\" in *\""
                                     + juce::String (programName) + "\"*) echo \"$d\";; esac; done)";

    // pkexec runs the copy with the paths as arguments; our own helper lives inside the bundle
    // being replaced, so it is not used here.
    const juce::String copyWithRights = "/bin/mkdir -p \"$1\" && /bin/cp -R \"$2\" \"$1\"";
    juce::String copyLine;

    if (ProcessRunner::isRoot() && authorization.runDirectlyWhenRoot)
        copyLine = "/bin/mkdir -p \"$destFdrPosix\" && /bin/cp -R \"$srcFnPosix\" \"$destFdrPosix\" || exit 1";
    else
        copyLine = quoteForShell (authorization.elevationProgram) + " /bin/sh -c " + quoteForShell (copyWithRights)
                   + " sh \"$destFdrPosix\" \"$srcFnPosix\" || exit 1";

    return {
        "while :; do",
        findManager,
        "[ -z \"$p\" ] && break",
        "sleep 0.5",
        "done",
        "destFdrPosix=" + quoteForShell (destinationFolder),
        "srcFnPosix=" + quoteForShell (temp + "/" + bundleName),
        "zipFnPosix=" + quoteForShell (temp + "/" + archiveName),
        "tempFnPosix=" + quoteForShell (temp),
        "/usr/bin/unzip -o -d \"$tempFnPosix\" \"$zipFnPosix\" || exit 1",
        copyLine,
        "/bin/rm -Rf \"$zipFnPosix\" || exit 1",
        "/bin/rm -Rf \"$srcFnPosix\" || exit 1",
        "/usr/bin/setsid -f \"$destFdrPosix/" + juce::String (bundleName) + "/Contents/MacOS/" + juce::String (programName) + "\"",
    };
}

juce::String SelfUpdateHandOver::buildScript (const Options& options)
{
    return buildScriptLines (options).joinIntoString ("\n\t");
}

juce::String SelfUpdateHandOver::buildCommand (const Options& options)
{
    return "/bin/sh -c " + quoteForShell (buildScript (options)) + " </dev/null >/dev/null 2>&1 &";
}

bool SelfUpdateHandOver::launchSelfUpdateScript (const Options& options)
{
    return std::system (buildCommand (options).toRawUTF8()) == 0;
}
