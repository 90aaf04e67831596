#pragma once

// Reads the commands the privileged helper receives: arguments each ended by a zero byte, the
// command by an empty argument. Shared by the helper (which links nothing but the standard
// library) and its fuzz target.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace PrivilegedCommandReader
{
// The longest command, all arguments and separators included, that is read at all.
inline constexpr std::size_t maxCommandBytes = 64 * 1024;

// nextByte() gives the next byte, or EOF at the end of the input; false at the end of the input.
// A command beyond maxCommandBytes is read to its end without being kept, and comes back empty.
template <typename NextByte>
bool readCommand (NextByte&& nextByte, std::vector<std::string>& arguments)
{
    arguments.clear();
    std::string current;
    std::size_t total = 0;
    bool tooLong = false, inArgument = false;

    for (;;)
    {
        const int c = nextByte();

        if (c == EOF)
            return false;

        if (++total > maxCommandBytes && ! tooLong)
        {
            tooLong = true;
            arguments.clear();
            std::string().swap (current);
        }

        if (c != 0)
        {
            if (! tooLong)
                current.push_back ((char) c);

            inArgument = true;
            continue;
        }

        if (! inArgument)
            return true;

        if (! tooLong)
            arguments.push_back (current);

        current.clear();
        inArgument = false;
    }
}
} // namespace PrivilegedCommandReader
