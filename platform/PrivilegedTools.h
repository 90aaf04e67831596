#pragma once

#include <cstring>

// The only programs ever run with administrator rights.
namespace PrivilegedTools
{
inline constexpr const char* allowed[] = { "/bin/rm", "/bin/mkdir", "/bin/mv" };

inline bool isAllowed (const char* path)
{
    for (auto* tool : allowed)
        if (std::strcmp (tool, path) == 0)
            return true;

    return false;
}
} // namespace PrivilegedTools
