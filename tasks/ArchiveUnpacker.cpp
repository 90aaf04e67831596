#include "tasks/ArchiveUnpacker.h"

#include "platform/PlatformFiles.h"
#include "readers/UnicodeText.h"
#include "tasks/InstallPaths.h"

#include <zlib.h>

#include <cstring>
#include <deque>
#include <vector>

namespace
{
constexpr int maxLinkTargetBytes = 4096;

// As many links as the kernel follows in one path before it gives up.
constexpr int maxLinksFollowed = 40;

struct ListedEntry
{
    juce::String name;
    juce::uint32 crc = 0;
    juce::int64 size = 0;
};

juce::uint32 readLittleEndian (const juce::uint8* p, int numBytes)
{
    juce::uint32 value = 0;

    for (int i = numBytes; --i >= 0;)
        value = (value << 8) | p[i];

    return value;
}

// Bytes from the archive or from a link become a String only when they are strict UTF-8.
bool isUtf8 (const juce::String& text)
{
    const auto* raw = text.toRawUTF8();
    return UnicodeText::isStrictUtf8 (raw, std::strlen (raw));
}

// Only for text known to be UTF-8.
bool hasControlCharacter (const juce::String& text)
{
    for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
        if (*p < 0x20 || *p == 0x7f)
            return true;

    return false;
}

// The archive's central directory as it lists each entry: name, CRC-32 and size. Empty when the
// directory cannot be found or read, or when a name is not UTF-8.
std::vector<ListedEntry> readListing (juce::InputStream& archive)
{
    std::vector<ListedEntry> listing;
    const auto total = archive.getTotalLength();

    if (total < 22)
        return listing;

    // The end record lies in the last 22 bytes plus a comment of up to 65535.
    const auto tailStart = juce::jmax ((juce::int64) 0, total - 22 - 65535);
    juce::MemoryBlock tail;

    if (! archive.setPosition (tailStart) || archive.readIntoMemoryBlock (tail, (ssize_t) (total - tailStart)) != (size_t) (total - tailStart))
        return listing;

    const auto* bytes = static_cast<const juce::uint8*> (tail.getData());
    int end = -1;

    for (auto i = (int) tail.getSize() - 22; i >= 0; --i)
        if (readLittleEndian (bytes + i, 4) == 0x06054b50)
        {
            end = i;
            break;
        }

    if (end < 0)
        return listing;

    const auto numEntries = (int) readLittleEndian (bytes + end + 10, 2);
    const auto directorySize = (juce::int64) readLittleEndian (bytes + end + 12, 4);
    const auto directoryStart = (juce::int64) readLittleEndian (bytes + end + 16, 4);

    if (directoryStart + directorySize > total)
        return listing;

    juce::MemoryBlock directory;

    if (! archive.setPosition (directoryStart) || archive.readIntoMemoryBlock (directory, (ssize_t) directorySize) != (size_t) directorySize)
        return listing;

    const auto* d = static_cast<const juce::uint8*> (directory.getData());
    const auto size = (size_t) directorySize;
    size_t pos = 0;

    for (int i = 0; i < numEntries && pos + 46 <= size; ++i)
    {
        if (readLittleEndian (d + pos, 4) != 0x02014b50)
            break;

        const auto nameLength = (size_t) readLittleEndian (d + pos + 28, 2);

        if (pos + 46 + nameLength > size)
            break;

        if (! UnicodeText::isStrictUtf8 (d + pos + 46, nameLength))
            return {};

        ListedEntry entry;
        entry.crc = readLittleEndian (d + pos + 16, 4);
        entry.size = (juce::int64) readLittleEndian (d + pos + 24, 4);
        entry.name = juce::String::fromUTF8 (reinterpret_cast<const char*> (d + pos + 46), (int) nameLength);
        listing.push_back (entry);

        pos += 46 + nameLength + readLittleEndian (d + pos + 30, 2) + readLittleEndian (d + pos + 32, 2);
    }

    return listing;
}

// The parts of an entry path (UTF-8); false when one is empty, only dots ("." and "..", and
// names such as "..." that the framework's folder walks skip, so they could never be cleared from
// the temporary folder), or holds a control character.
bool splitEntryPath (const juce::String& path, juce::StringArray& parts)
{
    parts = juce::StringArray::fromTokens (path, "/", {});

    if (parts.isEmpty())
        return false;

    for (auto& part : parts)
        if (part.isEmpty() || part.containsOnly (".") || hasControlCharacter (part))
            return false;

    return true;
}

// Puts the parts of a relative link target in front of the parts still to walk; false for a
// target that is empty, absolute, not UTF-8, or holds a backslash or a control character.
bool insertTargetParts (const juce::String& target, std::deque<juce::String>& pending)
{
    if (target.isEmpty() || ! isUtf8 (target) || target.startsWithChar ('/') || target.containsChar ('\\') || hasControlCharacter (target))
        return false;

    const auto parts = juce::StringArray::fromTokens (target, "/", {});
    pending.insert (pending.begin(), parts.begin(), parts.end());
    return true;
}

bool isInsideOrSame (const juce::String& realPath, const juce::String& realFolder)
{
    return realPath.isNotEmpty() && (realPath == realFolder || realPath.startsWith (realFolder == "/" ? realFolder : realFolder + "/"));
}

// Makes the first count parts below the folder, one level at a time; false when one of them is a
// link: nothing is written through a link.
bool makeFolders (const juce::String& folder, const juce::StringArray& parts, int count)
{
    auto path = folder;

    for (int i = 0; i < count; ++i)
    {
        path = InstallPaths::join (path, parts[i]);

        if (PlatformFiles::isSymbolicLink (path) || (! juce::File (path).isDirectory() && ! juce::File (path).createDirectory()))
            return false;
    }

    return true;
}

// Copies the entry's bytes into the file, checking them against the listing as they pass.
bool writeEntry (juce::InputStream& in, const juce::File& target, const ListedEntry& listed)
{
    juce::FileOutputStream out (target);

    if (out.failedToOpen())
        return false;

    out.setPosition (0);
    out.truncate();

    uLong crc = crc32 (0L, Z_NULL, 0);
    juce::int64 written = 0;
    char buffer[16384];

    for (;;)
    {
        const auto numRead = in.read (buffer, (int) sizeof (buffer));

        if (numRead <= 0)
            break;

        written += numRead;

        // More than the listing promised is damage too.
        if (written > listed.size || ! out.write (buffer, (size_t) numRead))
            return false;

        crc = crc32 (crc, reinterpret_cast<const Bytef*> (buffer), (uInt) numRead);
    }

    out.flush();
    return out.getStatus().wasOk() && written == listed.size && (juce::uint32) crc == listed.crc;
}
} // namespace

//==============================================================================
bool ArchiveUnpacker::isLinkInsideComponent (const juce::String& folder, const juce::String& entryPath,
                                             const juce::String& target, const juce::String& componentName)
{
    juce::StringArray where;

    if (! isUtf8 (entryPath) || ! splitEntryPath (entryPath, where) || where.size() < 2 || where[0] != componentName)
        return false;

    // Walked as the kernel walks it: from the top folder down to the link's own folder, then along
    // the target; a link met on the way gives way to its own target.
    std::deque<juce::String> pending;

    if (! insertTargetParts (target, pending))
        return false;

    pending.insert (pending.begin(), where.begin() + 1, where.end() - 1);

    const auto top = InstallPaths::join (folder, componentName);
    juce::StringArray reached;
    int linksFollowed = 0;

    while (! pending.empty())
    {
        const auto part = pending.front();
        pending.pop_front();

        if (part.isEmpty() || part == ".")
            continue;

        if (part == "..")
        {
            if (reached.isEmpty())
                return false;

            reached.remove (reached.size() - 1);
            continue;
        }

        const auto path = InstallPaths::join (top, reached.isEmpty() ? part : reached.joinIntoString ("/") + "/" + part);

        if (! PlatformFiles::isSymbolicLink (path))
            reached.add (part);
        else if (++linksFollowed > maxLinksFollowed || ! insertTargetParts (juce::File (path).getNativeLinkedTarget(), pending))
            return false;
    }

    return true;
}

juce::int64 ArchiveUnpacker::getArchiveByteLimit (const juce::String& folder)
{
    const auto freeBytes = juce::File (folder).getBytesFreeOnVolume();
    return freeBytes > 0 ? juce::jmin (maxArchiveBytes, freeBytes) : maxArchiveBytes;
}

bool ArchiveUnpacker::unpack (juce::InputStream& archive, const juce::String& folder, const juce::String& componentName)
{
    const auto componentPath = InstallPaths::join (folder, componentName);
    const auto realFolder = PlatformFiles::resolvePath (folder);

    if (! InstallPaths::isSafeName (componentName) || realFolder.isEmpty())
        return false;

    const auto listing = readListing (archive);

    if (listing.empty())
        return false;

    archive.setPosition (0);
    juce::ZipFile zip (archive);

    // The framework must read the very entries the listing holds. Its names are compared as bytes
    // and never used: only the listing's names have been checked.
    bool componentWhole = (int) listing.size() == zip.getNumEntries();

    for (int i = 0; componentWhole && i < zip.getNumEntries(); ++i)
        componentWhole = std::strcmp (zip.getEntry (i)->filename.toRawUTF8(), listing[(size_t) i].name.toRawUTF8()) == 0;

    if (! componentWhole)
        return false;

    // Each link made, checked again at the end: a later link can change where an earlier one leads.
    std::vector<std::pair<juce::String, juce::String>> madeLinks;

    for (int i = 0; i < zip.getNumEntries(); ++i)
    {
        const auto& entry = *zip.getEntry (i);
        const auto name = listing[(size_t) i].name.replaceCharacter ('\\', '/');
        const bool isFolderEntry = name.endsWithChar ('/');
        const bool ofComponent = name == componentName || name.startsWith (componentName + "/");

        auto fail = [&]
        {
            if (ofComponent)
                componentWhole = false;
        };

        juce::StringArray parts;

        if (name.startsWithChar ('/') || ! splitEntryPath (isFolderEntry ? name.dropLastCharacters (1) : name, parts))
        {
            fail();
            continue;
        }

        // The entry's folders are made one level at a time inside the temporary folder (inside
        // the component's own folder for its entries), never through a link; the entry itself
        // is never written through a link either.
        const auto path = InstallPaths::join (folder, parts.joinIntoString ("/"));
        const auto parentPath = path.upToLastOccurrenceOf ("/", false, false);
        const auto bound = ofComponent && parts.size() > 1 ? InstallPaths::join (realFolder, componentName) : realFolder;
        const juce::File target (path);

        if (! makeFolders (folder, parts, parts.size() - 1) || ! isInsideOrSame (PlatformFiles::resolvePath (parentPath), bound))
        {
            fail();
            continue;
        }

        if (isFolderEntry)
        {
            if (PlatformFiles::isSymbolicLink (path) || ! target.createDirectory())
                fail();

            continue;
        }

        if (PlatformFiles::isSymbolicLink (path) || target.isDirectory())
        {
            if (! (PlatformFiles::isSymbolicLink (path) ? target.deleteFile() : target.deleteRecursively()))
            {
                fail();
                continue;
            }
        }

        std::unique_ptr<juce::InputStream> in (zip.createStreamForEntry (i));

        if (in == nullptr)
        {
            fail();
            continue;
        }

        if (entry.isSymbolicLink)
        {
            // Only links of the component's own, pointing inside it, are made.
            juce::MemoryBlock linkBytes;
            in->readIntoMemoryBlock (linkBytes, maxLinkTargetBytes + 1);
            const auto crc = (juce::uint32) crc32 (crc32 (0L, Z_NULL, 0), static_cast<const Bytef*> (linkBytes.getData()), (uInt) linkBytes.getSize());

            if (! ofComponent || (juce::int64) linkBytes.getSize() != listing[(size_t) i].size || crc != listing[(size_t) i].crc
                || ! UnicodeText::isStrictUtf8 (linkBytes.getData(), linkBytes.getSize()))
            {
                fail();
                continue;
            }

            const auto linkTarget = linkBytes.toString();

            if (! isLinkInsideComponent (folder, name, linkTarget, componentName) || ! target.deleteFile()
                || ! juce::File::createSymbolicLink (target, linkTarget, true))
                fail();
            else
                madeLinks.emplace_back (name, linkTarget);

            continue;
        }

        if (! writeEntry (*in, target, listing[(size_t) i]))
        {
            target.deleteFile();
            fail();
            continue;
        }

        target.setLastModificationTime (entry.fileTime);
    }

    for (auto& [name, linkTarget] : madeLinks)
        if (! isLinkInsideComponent (folder, name, linkTarget, componentName))
            componentWhole = false;

    const bool arrived = componentWhole && PlatformFiles::existsWithoutFollowing (componentPath)
                         && ! PlatformFiles::isSymbolicLink (componentPath);

    if (! arrived)
        juce::File (componentPath).deleteRecursively();

    return arrived;
}
