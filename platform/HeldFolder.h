#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

// A folder held open by its descriptor, and the entries directly in it acted on by name. No
// operation follows a symbolic link below the held folder: a link is an entry like any other.
// Links nothing but the standard library (the privileged helper uses it).
class HeldFolder final
{
public:
    HeldFolder() = default;
    ~HeldFolder();

    HeldFolder (HeldFolder&& other) noexcept;
    HeldFolder& operator= (HeldFolder&& other) noexcept;

    // Opens an absolute path, following the links in it.
    static HeldFolder open (const std::string& path);

    bool isOpen() const noexcept { return descriptor >= 0; }
    int getDescriptor() const noexcept { return descriptor; }

    // Where the held folder really is, as the kernel tells it; empty when it cannot tell.
    std::string whereItIs() const;

    // The owner of the held folder, or of an entry in it; -1 when it cannot be read.
    long getOwner() const;
    long getOwnerOf (const std::string& name) const;

    // Another descriptor of the same folder.
    HeldFolder duplicate() const;

    // A sub-folder, a link in its place followed: only for the folders a run is asked for.
    HeldFolder openFolderFollowingLinks (const std::string& name) const;

    // A sub-folder; closed when the entry is missing, a link or no folder.
    HeldFolder openFolder (const std::string& name) const;

    // The sub-folder, made when missing (with the process's file mode mask, as mkdir does).
    HeldFolder openOrMakeFolder (const std::string& name) const;

    bool isFolder (const std::string& name) const;
    bool exists (const std::string& name) const;

    // Removes the entry and everything below it; a link is removed as a link. A missing entry
    // is success.
    bool removeEntry (const std::string& name) const;

    // Renames the entry into the other folder. Across file systems it is copied into a hidden
    // staged name there (contents, modes, times and owners; links as links), renamed into place,
    // and only then removed here; on any failure the staged copy is removed and the source stays.
    bool moveEntry (const std::string& name, const HeldFolder& destination, const std::string& newName) const;

    static constexpr const char* copyPrefix = ".quorvelan-copy-";

private:
    explicit HeldFolder (int fd) noexcept
        : descriptor (fd)
    {
    }

    // The entry itself, a link not followed; false when it is missing or cannot be read.
    bool lookAt (const std::string& name, struct stat& info) const;

    bool removeEntry (const std::string& name, int depth) const;
    bool copyEntry (const std::string& name, const HeldFolder& destination, const std::string& newName, int depth) const;

    int descriptor = -1;

    HeldFolder (const HeldFolder&) = delete;
    HeldFolder& operator= (const HeldFolder&) = delete;
};
