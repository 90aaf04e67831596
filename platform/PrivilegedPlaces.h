#pragma once

#include "platform/HeldFolder.h"

#include <string>
#include <vector>

// The folders one run of administrator rights may act in, and the program's commands carried out
// in them. Every place is made where it is missing, held open and judged where it really is;
// every command then acts relative to the held folders, and nothing below a place follows a link.
// Shared by the privileged helper (which links nothing but the standard library) and by the
// program when it runs as root itself.
//
// The commands, exactly:
//   "/bin/rm" "-R" "-f" PATH     removes the entry below a place and all it holds; a link as a link
//   "/bin/mkdir" "-p" PATH       makes every missing part, each inside the part before it
//   "/bin/mv" "-f" SRC DST       DST a place or below one (into it when it is a folder); SRC directly
//                                in the user's temporary folder, or a staged name beside DST
// Paths are absolute and normalised (no empty, "." or ".." part, no control character; one
// closing "/" at most).
class PrivilegedPlaces final
{
public:
    static constexpr const char* stagedPrefix = ".quorvelan-new-";

    // Moves come only from the temporary folder, and only entries of the invoking user.
    PrivilegedPlaces (const std::vector<std::string>& places, const std::string& temporaryFolder, long invokingUser);

    // Makes, opens and judges every place, and opens the temporary folder. False when a place is
    // refused; refusedPlace then names it.
    bool hold (std::string& refusedPlace);

    // True when the command has one of the three shapes and every path it names fits the places
    // and the temporary folder, judged from the texts alone.
    bool accepts (const std::vector<std::string>& command) const;

    // Carries out a command on the held folders: 0 when it succeeded, 1 when it failed, -1 when
    // it is refused (not accepted, or the places are not held).
    int run (const std::vector<std::string>& command) const;

    const std::vector<std::string>& getPlaces() const noexcept { return placeTexts; }

    static bool isNormalisedAbsolutePath (const std::string& path);

private:
    struct Target
    {
        std::size_t place = 0;
        std::vector<std::string> parts; // below the place
    };

    bool locate (const std::string& path, Target& target) const;
    // The path the command acts on (a move's destination), when it is accepted.
    bool plan (const std::vector<std::string>& command, Target& target) const;
    bool isFromTemporaryFolder (const std::string& source) const;
    static bool isStagedBeside (const std::string& source, const std::string& destination);

    // The held folder that holds the target's last part; closed when a part is missing, a link
    // or no folder.
    HeldFolder openParent (const Target& target) const;

    int remove (const Target& target) const;
    int makeFolders (const Target& target) const;
    int move (const std::string& source, const Target& destination) const;

    std::vector<std::string> placeTexts;
    std::string temporaryFolderText;
    long invokingUser;
    std::vector<HeldFolder> held;
    HeldFolder temporaryFolder;
};
