// Started once per run through the elevation program. Says "ready", then runs each command its
// parent writes to it (arguments each ended by a zero byte, the command ended by an empty
// argument) and answers with the command's exit status on a line of its own, until its input
// ends. Only the commands PrivilegedCommandRules allows are run, from their argument vectors;
// any other, or one longer than its bound, is answered with -1 and not run.

#include "platform/PrivilegedCommandRules.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
// Reads one command; false at the end of the input. A command beyond the length bound is read
// to its end without being kept, and comes back empty.
bool readCommand (std::vector<std::string>& arguments)
{
    arguments.clear();
    std::string current;
    std::size_t total = 0;
    bool tooLong = false, inArgument = false;

    for (;;)
    {
        auto c = std::getc (stdin);

        if (c == EOF)
            return false;

        if (++total > PrivilegedCommandRules::maxCommandBytes && ! tooLong)
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

int run (const std::vector<std::string>& arguments, const std::string& userTempFolder)
{
    if (! PrivilegedCommandRules::isAllowedCommand (arguments, userTempFolder))
        return -1;

    std::vector<char*> argv;

    for (auto& a : arguments)
        argv.push_back (const_cast<char*> (a.c_str()));

    argv.push_back (nullptr);

    auto pid = fork();

    if (pid < 0)
        return -1;

    if (pid == 0)
    {
        std::freopen ("/dev/null", "r", stdin);
        std::freopen ("/dev/null", "w", stdout);
        execv (argv[0], argv.data());
        _exit (127);
    }

    int status = 0;

    while (waitpid (pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;

    return WIFEXITED (status) ? WEXITSTATUS (status) : -1;
}
} // namespace

int main()
{
    std::printf ("ready\n");
    std::fflush (stdout);

    const auto userTempFolder = PrivilegedCommandRules::getInvokingUserTempFolder();
    std::vector<std::string> arguments;

    while (readCommand (arguments))
    {
        std::printf ("%d\n", run (arguments, userTempFolder));
        std::fflush (stdout);
    }

    return 0;
}
