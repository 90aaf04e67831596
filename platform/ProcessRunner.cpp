#include "platform/ProcessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace
{
struct ArgumentVector
{
    explicit ArgumentVector (const juce::StringArray& arguments)
    {
        for (auto& a : arguments)
            storage.push_back (a.toStdString());

        for (auto& s : storage)
            pointers.push_back (const_cast<char*> (s.c_str()));

        pointers.push_back (nullptr);
    }

    std::vector<std::string> storage;
    std::vector<char*> pointers;
};
} // namespace

int ProcessRunner::wait (int processId)
{
    if (processId <= 0)
        return -1;

    int status = 0;

    while (waitpid (processId, &status, 0) < 0)
        if (errno != EINTR)
            return -1;

    return WIFEXITED (status) ? WEXITSTATUS (status) : -1;
}

int ProcessRunner::runAndWait (const juce::StringArray& arguments)
{
    if (arguments.isEmpty())
        return -1;

    ArgumentVector argv (arguments);

    // Spawned rather than forked: the child never copies this process's (large) address space,
    // which made each command cost milliseconds of page-table work.
    posix_spawn_file_actions_t actions;

    if (posix_spawn_file_actions_init (&actions) != 0)
        return -1;

    for (auto fd : { STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO })
        posix_spawn_file_actions_addopen (&actions, fd, "/dev/null", O_RDWR, 0);

    pid_t pid = 0;
    const auto result = posix_spawn (&pid, argv.pointers[0], &actions, nullptr, argv.pointers.data(), environ);
    posix_spawn_file_actions_destroy (&actions);

    // As a child whose exec failed reports it.
    if (result != 0)
        return 127;

    return wait (pid);
}

int ProcessRunner::startWithPipes (const juce::StringArray& arguments, int& writeToChild, int& readFromChild)
{
    int input[2], output[2];

    if (arguments.isEmpty() || pipe (input) != 0)
        return -1;

    if (pipe (output) != 0)
    {
        close (input[0]);
        close (input[1]);
        return -1;
    }

    ArgumentVector argv (arguments);
    auto pid = fork();

    if (pid == 0)
    {
        dup2 (input[0], STDIN_FILENO);
        dup2 (output[1], STDOUT_FILENO);
        close (input[0]);
        close (input[1]);
        close (output[0]);
        close (output[1]);
        execv (argv.pointers[0], argv.pointers.data());
        _exit (127);
    }

    close (input[0]);
    close (output[1]);

    if (pid < 0)
    {
        close (input[1]);
        close (output[0]);
        return -1;
    }

    // The helper may end early (a refused prompt): writing to it must not kill us.
    signal (SIGPIPE, SIG_IGN);
    fcntl (input[1], F_SETFD, FD_CLOEXEC);
    fcntl (output[0], F_SETFD, FD_CLOEXEC);

    writeToChild = input[1];
    readFromChild = output[0];
    return pid;
}

bool ProcessRunner::isRoot()
{
    return geteuid() == 0;
}
