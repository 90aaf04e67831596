#include "platform/DirectoryWalker.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

namespace
{
// Whether the entry is a directory that is not a link; the listing's kind first, lstat only
// where the file system leaves the kind open.
bool isRealDirectory (DIR* folder, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;

    if (entry.d_type != DT_UNKNOWN)
        return false;

    struct stat info;
    return fstatat (dirfd (folder), entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR (info.st_mode);
}
} // namespace

void DirectoryWalker::visitDirectories (const juce::String& folder, const Visitor& visit)
{
    struct Level
    {
        DIR* listing;
        juce::String path;
    };

    std::vector<Level> levels;
    const auto rootPath = juce::File::addTrailingSeparator (juce::File (folder).getFullPathName());

    if (auto* root = opendir (rootPath.toRawUTF8()))
        levels.push_back ({ root, rootPath });

    while (! levels.empty())
    {
        auto& level = levels.back();
        auto* entry = readdir (level.listing);

        if (entry == nullptr)
        {
            closedir (level.listing);
            levels.pop_back();
            continue;
        }

        const juce::String name (juce::CharPointer_UTF8 (entry->d_name));

        if (name.containsOnly (".") || ! isRealDirectory (level.listing, *entry))
            continue;

        const auto parentPath = level.path;
        visit (parentPath, name);

        // What the folder holds comes next, before the rest of its siblings.
        const auto path = parentPath + name + "/";

        if (auto* listing = opendir (path.toRawUTF8()))
            levels.push_back ({ listing, path });
    }
}
