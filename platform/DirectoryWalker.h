#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// Walks a folder's tree in the order the framework's recursive directory search reports it: the
// entries of each folder as the system lists them, each sub-folder before what it holds, names
// made of dots alone left out. Symbolic links are neither reported nor followed. An entry's kind
// is taken from the listing where the file system gives it, so it costs no call of its own.
class DirectoryWalker final
{
public:
    // Tells the visitor of every real sub-directory below the folder: the path of the folder
    // that holds it (with a closing "/") and its name.
    using Visitor = std::function<void (const juce::String& parentPath, const juce::String& name)>;

    static void visitDirectories (const juce::String& folder, const Visitor& visit);

private:
    DirectoryWalker() = delete;
};
