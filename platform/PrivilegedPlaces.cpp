#include "platform/PrivilegedPlaces.h"

#include "platform/SystemFolders.h"

#include <algorithm>
#include <cerrno>

namespace
{
std::string withoutClosingSlash (std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();

    return path;
}

std::string parentOf (const std::string& path)
{
    const auto trimmed = withoutClosingSlash (path);
    const auto slash = trimmed.rfind ('/');
    return slash == 0 || slash == std::string::npos ? std::string ("/") : trimmed.substr (0, slash);
}

std::string lastPartOf (const std::string& path)
{
    const auto trimmed = withoutClosingSlash (path);
    return trimmed.substr (trimmed.rfind ('/') + 1);
}

std::vector<std::string> partsOf (const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;

    while (start < path.size())
    {
        auto slash = path.find ('/', start);

        if (slash == std::string::npos)
            slash = path.size();

        if (slash > start)
            parts.push_back (path.substr (start, slash - start));

        start = slash + 1;
    }

    return parts;
}

bool isRemove (const std::vector<std::string>& c)
{
    return c.size() == 4 && c[0] == "/bin/rm" && c[1] == "-R" && c[2] == "-f";
}

bool isMakeFolder (const std::vector<std::string>& c)
{
    return c.size() == 3 && c[0] == "/bin/mkdir" && c[1] == "-p";
}

bool isMove (const std::vector<std::string>& c)
{
    return c.size() == 4 && c[0] == "/bin/mv" && c[1] == "-f";
}

// Walks to a place from "/", following the links of the path as it is named. A missing part is
// made only where it would lie outside every system folder, judged where its parent really is.
HeldFolder openOrMakePlace (const std::string& place)
{
    auto folder = HeldFolder::open (place);

    if (folder.isOpen() || errno != ENOENT)
        return folder;

    auto current = HeldFolder::open ("/");

    for (auto& part : partsOf (place))
    {
        auto next = current.openFolderFollowingLinks (part);

        if (! next.isOpen())
        {
            const auto parent = current.whereItIs();

            if (errno != ENOENT || parent.empty() || SystemFolders::isWithinSystemFolder (parent == "/" ? "/" + part : parent + "/" + part))
                return {};

            next = current.openOrMakeFolder (part);

            if (! next.isOpen())
                return {};
        }

        current = std::move (next);
    }

    return current;
}
} // namespace

PrivilegedPlaces::PrivilegedPlaces (const std::vector<std::string>& places, const std::string& temporaryFolderPath, long invokingUserId)
    : temporaryFolderText (withoutClosingSlash (temporaryFolderPath))
    , invokingUser (invokingUserId)
{
    for (auto& place : places)
    {
        const auto text = isNormalisedAbsolutePath (place) ? withoutClosingSlash (place) : place;

        if (std::find (placeTexts.begin(), placeTexts.end(), text) == placeTexts.end())
            placeTexts.push_back (text);
    }
}

bool PrivilegedPlaces::isNormalisedAbsolutePath (const std::string& path)
{
    if (path.size() < 2 || path[0] != '/')
        return false;

    for (auto c : path)
        if ((unsigned char) c < 0x20 || c == 0x7f)
            return false;

    const auto end = path.back() == '/' ? path.size() - 1 : path.size();

    for (std::size_t start = 1; start <= end;)
    {
        auto slash = path.find ('/', start);

        if (slash == std::string::npos || slash > end)
            slash = end;

        const auto part = path.substr (start, slash - start);

        if (part.empty() || part == "." || part == "..")
            return false;

        start = slash + 1;
    }

    return true;
}

bool PrivilegedPlaces::hold (std::string& refusedPlace)
{
    held.clear();
    temporaryFolder = {};

    for (auto& place : placeTexts)
    {
        auto folder = isNormalisedAbsolutePath (place) ? openOrMakePlace (place) : HeldFolder();

        if (! folder.isOpen() || ! SystemFolders::isAcceptablePlace (folder.whereItIs()))
        {
            refusedPlace = place;
            held.clear();
            return false;
        }

        held.push_back (std::move (folder));
    }

    // The temporary folder is the user's own: where it really is, it must belong to that user.
    if (isNormalisedAbsolutePath (temporaryFolderText))
    {
        auto folder = HeldFolder::open (temporaryFolderText);

        if (folder.isOpen() && folder.getOwner() == invokingUser && folder.whereItIs() != "/")
            temporaryFolder = std::move (folder);
    }

    return true;
}

bool PrivilegedPlaces::locate (const std::string& path, Target& target) const
{
    if (! isNormalisedAbsolutePath (path))
        return false;

    const auto trimmed = withoutClosingSlash (path);
    std::size_t best = placeTexts.size();

    for (std::size_t i = 0; i < placeTexts.size(); ++i)
        if (isNormalisedAbsolutePath (placeTexts[i]) && SystemFolders::isSameOrBelow (trimmed, placeTexts[i])
            && (best == placeTexts.size() || placeTexts[i].size() > placeTexts[best].size()))
            best = i;

    if (best == placeTexts.size())
        return false;

    target.place = best;
    target.parts = partsOf (trimmed.substr (placeTexts[best].size()));
    return true;
}

bool PrivilegedPlaces::isFromTemporaryFolder (const std::string& source) const
{
    return isNormalisedAbsolutePath (temporaryFolderText) && isNormalisedAbsolutePath (source) && source.back() != '/'
           && parentOf (source) == temporaryFolderText;
}

bool PrivilegedPlaces::isStagedBeside (const std::string& source, const std::string& destination)
{
    const std::string prefix (stagedPrefix);
    const auto name = lastPartOf (source);

    return source.back() != '/' && destination.back() != '/' && parentOf (source) == parentOf (destination)
           && name.size() > prefix.size() && name.compare (0, prefix.size(), prefix) == 0;
}

bool PrivilegedPlaces::accepts (const std::vector<std::string>& command) const
{
    Target target;
    return plan (command, target);
}

bool PrivilegedPlaces::plan (const std::vector<std::string>& command, Target& target) const
{
    if (isRemove (command))
        return locate (command[3], target) && ! target.parts.empty();

    if (isMakeFolder (command))
        return locate (command[2], target);

    if (isMove (command))
    {
        Target source;
        return locate (command[3], target)
               && (isFromTemporaryFolder (command[2])
                   || (isStagedBeside (command[2], command[3]) && locate (command[2], source) && ! target.parts.empty()));
    }

    return false;
}

int PrivilegedPlaces::run (const std::vector<std::string>& command) const
{
    Target target;

    if (held.size() != placeTexts.size() || placeTexts.empty() || ! plan (command, target))
        return -1;

    if (isRemove (command))
        return remove (target);

    if (isMakeFolder (command))
        return makeFolders (target);

    return move (command[2], target);
}

HeldFolder PrivilegedPlaces::openParent (const Target& target) const
{
    auto current = held[target.place].duplicate();

    for (std::size_t i = 0; i + 1 < target.parts.size() && current.isOpen(); ++i)
        current = current.openFolder (target.parts[i]);

    return current;
}

int PrivilegedPlaces::remove (const Target& target) const
{
    const auto parent = openParent (target);

    // Below a missing part there is nothing to remove.
    if (! parent.isOpen())
        return errno == ENOENT ? 0 : 1;

    return parent.removeEntry (target.parts.back()) ? 0 : 1;
}

int PrivilegedPlaces::makeFolders (const Target& target) const
{
    auto current = held[target.place].duplicate();

    for (auto& part : target.parts)
    {
        if (! current.isOpen())
            break;

        current = current.openOrMakeFolder (part);
    }

    return current.isOpen() ? 0 : 1;
}

int PrivilegedPlaces::move (const std::string& source, const Target& destination) const
{
    const auto name = lastPartOf (source);
    auto into = destination.parts.empty() ? held[destination.place].duplicate() : openParent (destination);
    auto newName = destination.parts.empty() ? name : destination.parts.back();

    if (! into.isOpen())
        return 1;

    // Into an existing folder, the source lands inside it.
    if (! destination.parts.empty() && into.isFolder (newName))
    {
        into = into.openFolder (newName);
        newName = name;

        if (! into.isOpen())
            return 1;
    }

    if (isFromTemporaryFolder (source))
    {
        if (! temporaryFolder.isOpen())
            return -1;

        if (! temporaryFolder.exists (name))
            return 1;

        if (temporaryFolder.getOwnerOf (name) != invokingUser)
            return -1;

        return temporaryFolder.moveEntry (name, into, newName) ? 0 : 1;
    }

    Target staged;

    if (! locate (source, staged))
        return -1;

    const auto from = openParent (staged);
    return from.isOpen() && from.moveEntry (name, into, newName) ? 0 : 1;
}
