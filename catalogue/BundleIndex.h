#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <memory>

// The directories below plug-in folders, read once: answers findBundleFolder for every component
// of one scan without walking a folder's tree again for each of them. Each folder is walked at
// its first question; what is added to the disk later is seen by a new index, not by this one.
class BundleIndex final
{
public:
    BundleIndex();
    ~BundleIndex();

    // The answer findBundleFolder (folder, bundleName) gives for the folder as this index read it.
    juce::String findBundleFolder (const juce::String& folder, const juce::String& bundleName);

private:
    struct FolderTree;

    FolderTree& getTree (const juce::File& directory);
    static bool hasMatchingChild (FolderTree& tree, const juce::File& directory, const juce::String& bundleName);
    static int findFirstInTree (FolderTree& tree, const juce::File& directory, const juce::String& bundleName);

    std::map<juce::String, std::unique_ptr<FolderTree>> trees;

    JUCE_DECLARE_NON_COPYABLE (BundleIndex)
};
