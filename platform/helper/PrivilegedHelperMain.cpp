// Started once per run through the elevation program. Says "ready", then runs each command its
// parent writes to it (arguments each ended by a zero byte, the command ended by an empty
// argument) and answers with the command's exit status on a line of its own, until its input
// ends. Only the commands PrivilegedCommandRules allows are run, from their argument vectors,
// with every path checked where its links lead; any other, or one longer than its bound, is
// answered with -1 and not run.

#include "platform/PrivilegedCommandRules.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
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

    while (PrivilegedCommandRules::readCommand ([]
                                                { return std::getc (stdin); },
                                                arguments))
    {
        std::printf ("%d\n", run (arguments, userTempFolder));
        std::fflush (stdout);
    }

    return 0;
}
