#pragma once

#include <string>

// Which real folders administrator rights may act in. Paths here are where a held folder really
// is (read back from the kernel): absolute, normalised, every link resolved.
class SystemFolders final
{
public:
    // A folder commands may act below: not "/", not a top-level folder, not a system folder nor
    // inside one, and holding none. A plug-in folder such as /usr/lib/vst or
    // /Library/Audio/Plug-Ins/VST is fine.
    static bool isAcceptablePlace (const std::string& realPath);

    // True when a folder made at the path would be a system folder or lie inside one.
    static bool isWithinSystemFolder (const std::string& realPath);

    // True when one path is the other or lies below it, part by part.
    static bool isSameOrBelow (const std::string& path, const std::string& folder);

private:
    SystemFolders() = delete;
};
