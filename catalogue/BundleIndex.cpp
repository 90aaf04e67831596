#include "catalogue/BundleIndex.h"

#include "catalogue/InstalledBundles.h"
#include "platform/DirectoryWalker.h"

#include <cstdlib>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace
{
const juce::String notFound ("/");

// A name the framework's matching takes as it stands: one pattern without wildcard, class,
// escape, separator or quote characters, no blanks to trim, printable ASCII only. The direct-child
// step then matches it ignoring ASCII case (as the C library does in the program's "C" locale)
// and the tree step matches it exactly.
bool isPlainName (const juce::String& name)
{
    if (name.isEmpty() || name.containsAnyOf ("*?[]\\;,\"'") || name.trim() != name)
        return false;

    for (auto c : name)
        if (c < 32 || c > 126)
            return false;

    return true;
}

std::string foldAsciiCase (const juce::String& name)
{
    std::string folded (name.toRawUTF8());

    for (auto& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = (char) (c - 'A' + 'a');

    return folded;
}
} // namespace

struct BundleIndex::FolderTree
{
    struct Entry
    {
        juce::String name;
        int parent;
    };

    // The same walk findBundleFolder's tree step makes, with every directory it can take kept in
    // the order the walk reports it; the immediate ones also answer the direct-child step.
    void walk (const juce::File& directory)
    {
        const auto rootPath = juce::File::addTrailingSeparator (directory.getFullPathName());

        DirectoryWalker::visitDirectories (rootPath, [this, &rootPath] (const juce::String& parentPath, const juce::String& name)
                                           { add (parentPath, name, parentPath == rootPath); });
        walked = true;
    }

    void add (const juce::String& parentPath, const juce::String& name, bool inTopFolder)
    {
        // A folder's entries mostly come one after another: its path is looked up once for them.
        if (lastParent < 0 || parents[(size_t) lastParent] != parentPath)
        {
            auto [position, added] = parentIndex.emplace (parentPath.toStdString(), (int) parents.size());

            if (added)
                parents.push_back (parentPath);

            lastParent = position->second;
        }

        firstByName.emplace (name.toStdString(), (int) entries.size());
        entries.push_back ({ name, lastParent });

        if (inTopFolder)
            childNamesFolded.insert (foldAsciiCase (name));
    }

    bool walked = false;
    int lastParent = -1;
    std::unordered_set<std::string> childNamesFolded;
    std::vector<juce::String> parents;
    std::vector<Entry> entries;
    std::unordered_map<std::string, int> firstByName, parentIndex;
};

BundleIndex::BundleIndex() = default;
BundleIndex::~BundleIndex() = default;

BundleIndex::FolderTree& BundleIndex::getTree (const juce::File& directory)
{
    auto& tree = trees[directory.getFullPathName()];

    if (tree == nullptr)
        tree = std::make_unique<FolderTree>();

    return *tree;
}

bool BundleIndex::hasMatchingChild (FolderTree& tree, const juce::File& directory, const juce::String& bundleName)
{
    // Other names, or a locale whose case rules go beyond ASCII: the framework's own answer.
    if (! isPlainName (bundleName) || MB_CUR_MAX > 1)
        return folderHoldsBundleDirectly (directory, bundleName);

    if (! tree.walked)
        tree.walk (directory);

    return tree.childNamesFolded.count (foldAsciiCase (bundleName)) > 0;
}

int BundleIndex::findFirstInTree (FolderTree& tree, const juce::File& directory, const juce::String& bundleName)
{
    if (! tree.walked)
        tree.walk (directory);

    if (isPlainName (bundleName))
    {
        auto found = tree.firstByName.find (bundleName.toStdString());
        return found != tree.firstByName.end() ? found->second : -1;
    }

    // Patterns as the framework's recursive search splits and matches them.
    juce::StringArray patterns;
    patterns.addTokens (bundleName, ";,", "\"'");
    patterns.trim();
    patterns.removeEmptyStrings();

    for (int i = 0; i < (int) tree.entries.size(); ++i)
        for (auto& pattern : patterns)
            if (tree.entries[(size_t) i].name.matchesWildcard (pattern, ! juce::File::areFileNamesCaseSensitive()))
                return i;

    return -1;
}

juce::String BundleIndex::findBundleFolder (const juce::String& folder, const juce::String& bundleName)
{
    // An empty folder would mean searching the whole disk.
    if (folder.isEmpty() || bundleName.isEmpty() || ! juce::File::isAbsolutePath (folder))
        return notFound;

    const juce::File directory (folder);

    if (! directory.isDirectory())
        return notFound;

    auto& tree = getTree (directory);

    if (hasMatchingChild (tree, directory, bundleName))
        return juce::File::addTrailingSeparator (directory.getFullPathName());

    const auto first = findFirstInTree (tree, directory, bundleName);
    return first >= 0 ? tree.parents[(size_t) tree.entries[(size_t) first].parent] : notFound;
}
