// Started once per run through the elevation program. Says "ready", then runs each command its
// parent writes to it (arguments each ended by a zero byte, the command ended by an empty
// argument) and answers with the command's exit status on a line of its own, until its input
// ends. Only the tools of PrivilegedTools are run, from their argument vectors.

#include "platform/PrivilegedTools.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
bool readCommand (std::vector<std::string>& arguments)
{
    arguments.clear();
    std::string current;

    for (;;)
    {
        auto c = std::getc (stdin);

        if (c == EOF)
            return false;

        if (c != 0)
        {
            current.push_back ((char) c);
            continue;
        }

        if (current.empty())
            return true;

        arguments.push_back (current);
        current.clear();
    }
}

int run (const std::vector<std::string>& arguments)
{
    if (arguments.empty() || ! PrivilegedTools::isAllowed (arguments[0].c_str()))
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

    std::vector<std::string> arguments;

    while (readCommand (arguments))
    {
        std::printf ("%d\n", run (arguments));
        std::fflush (stdout);
    }

    return 0;
}
