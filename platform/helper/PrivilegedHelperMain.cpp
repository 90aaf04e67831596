// quorvelan-privileged-helper PLACE...
//
// Started once per run through the elevation program, which shows the places to the
// administrator. Makes, opens and judges every place; when one is refused it says which and ends
// without saying "ready". Otherwise says "ready", then carries out each command its parent
// writes to it (arguments each ended by a zero byte, the command ended by an empty argument) in
// the held places, and answers with 0 (done), 1 (failed) or -1 (refused) on a line of its own,
// until its input ends. Moves come only from the invoking user's temporary folder of the program.

#include "platform/PrivilegedCommandReader.h"
#include "platform/PrivilegedPlaces.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
// The user the commands are run for: the one the elevation program names, else the caller.
long getInvokingUser()
{
    if (auto* uid = std::getenv ("PKEXEC_UID"))
    {
        char* end = nullptr;
        const auto value = std::strtol (uid, &end, 10);
        return end != uid && *end == 0 && value >= 0 ? value : -1;
    }

    return (long) getuid();
}

// That user's temporary folder of the program, found as the program finds it: below the home
// folder of its account, or of its own environment when it was started without elevation.
std::string getTemporaryFolder (long user)
{
    std::string home;

    if (std::getenv ("PKEXEC_UID") == nullptr)
        if (auto* variable = std::getenv ("HOME"); variable != nullptr && variable[0] == '/')
            home = variable;

    if (home.empty() && user >= 0)
        if (auto* entry = getpwuid ((uid_t) user))
            home = entry->pw_dir;

    return home.empty() ? std::string() : home + "/.config/Quorvelan/temp";
}
} // namespace

int main (int argc, char** argv)
{
    const auto user = getInvokingUser();
    PrivilegedPlaces places (std::vector<std::string> (argv + 1, argv + argc), getTemporaryFolder (user), user);
    std::string refused;

    if (argc < 2)
        refused = "no place named";
    else if (user < 0)
        refused = "no user to act for";

    if (! refused.empty() || ! places.hold (refused))
    {
        std::printf ("refused: %s\n", refused.c_str());
        return 2;
    }

    std::printf ("ready\n");
    std::fflush (stdout);

    std::vector<std::string> command;

    while (PrivilegedCommandReader::readCommand ([]
                                                 { return std::getc (stdin); },
                                                 command))
    {
        std::printf ("%d\n", places.run (command));
        std::fflush (stdout);
    }

    return 0;
}
