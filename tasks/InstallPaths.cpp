#include "tasks/InstallPaths.h"

#include "platform/PlatformFiles.h"

bool InstallPaths::isSafeName (const juce::String& name)
{
    if (name.isEmpty() || name == "." || name == ".." || name.startsWithChar ('~') || name.containsAnyOf ("/\\"))
        return false;

    for (auto p = name.getCharPointer(); ! p.isEmpty(); ++p)
        if (*p < 0x20 || *p == 0x7f)
            return false;

    return true;
}

juce::String InstallPaths::join (const juce::String& folder, const juce::String& name)
{
    return (folder.endsWithChar ('/') ? folder : folder + "/") + name;
}

bool InstallPaths::isStrictlyInside (const juce::String& path, const juce::String& folder)
{
    const auto leaf = path.fromLastOccurrenceOf ("/", false, false);
    const auto parent = path.upToLastOccurrenceOf ("/", false, false);

    if (! juce::File::isAbsolutePath (path) || ! isSafeName (leaf) || PlatformFiles::isSymbolicLink (path))
        return false;

    const auto realFolder = PlatformFiles::resolvePath (folder);
    const auto realParent = PlatformFiles::resolvePath (parent.isEmpty() ? juce::String ("/") : parent);

    if (realFolder.isEmpty() || realParent.isEmpty())
        return false;

    return join (realParent, leaf).startsWith (realFolder == "/" ? realFolder : realFolder + "/");
}

juce::String InstallPaths::stagedName (const juce::String& name)
{
    return ".quorvelan-new-" + name;
}
