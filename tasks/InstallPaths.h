#pragma once

#include <juce_core/juce_core.h>

// Paths the install task builds from names the server sent. A name is never handed to the
// framework's path parsing (which reads "~" as a home folder): it is joined to the folder's full
// path as text, and a path is acted on only when, once its links are resolved, it lies strictly
// inside the folder it belongs to.
class InstallPaths final
{
public:
    // A name that can only ever mean one entry inside a folder: not empty, ".", ".." or starting
    // with "~", and free of path separators and control characters.
    static bool isSafeName (const juce::String& name);

    // The folder's path, one "/", then the name.
    static juce::String join (const juce::String& folder, const juce::String& name);

    // True when the path's last part is a safe name and not itself a link, and its folder, once
    // every link is resolved, is the folder given or lies inside it (which must exist).
    static bool isStrictlyInside (const juce::String& path, const juce::String& folder);

    // The hidden name under which a new copy waits beside the installed one until it replaces it.
    static juce::String stagedName (const juce::String& name);

private:
    InstallPaths() = delete;
};
