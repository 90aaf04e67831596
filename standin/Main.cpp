#include "standin/StandInServer.h"

#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

namespace
{
int usage (const char* program)
{
    std::cerr << "usage: " << program << " [--port N] [--trickle PATH] --root FOLDER\n"
              << "Serves FOLDER/components.xml, accounts.txt, version.xml and plugrepo/ on 127.0.0.1\n"
              << "(port 0 or none picks a free port) until it is interrupted or terminated.\n"
              << "--trickle sends the file at PATH (as requested, unescaped, such as\n"
              << "\"/plugrepo/updates/MAC/A B.zip\") in pieces of 1000 bytes, one every 100 ms.\n";
    return 2;
}

// A form-encoded body as it came (it is short and already escaped); any other by its size.
std::string describeBody (const StandInServer::RecordedRequest& request)
{
    if (request.body.empty())
        return {};

    if (request.getHeader ("Content-Type").rfind ("application/x-www-form-urlencoded", 0) == 0)
        return " [body " + request.body + "]";

    return " [" + std::to_string (request.body.size()) + " body bytes]";
}
} // namespace

int main (int argc, char** argv)
{
    int port = 0;
    std::string root;
    std::vector<std::string> trickled;

    for (int i = 1; i < argc; ++i)
    {
        const std::string argument (argv[i]);

        if (argument == "--port" && i + 1 < argc)
        {
            const std::string number (argv[++i]);
            char* end = nullptr;
            port = (int) std::strtol (number.c_str(), &end, 10);

            if (number.empty() || *end != '\0')
                return usage (argv[0]);
        }
        else if (argument == "--root" && i + 1 < argc)
            root = argv[++i];
        else if (argument == "--trickle" && i + 1 < argc)
            trickled.emplace_back (argv[++i]);
        else
            return usage (argv[0]);
    }

    if (root.empty() || port < 0 || port > 65535)
        return usage (argv[0]);

    // Blocked here, so the server's threads inherit the mask and sigwait below receives them.
    sigset_t signals;
    sigemptyset (&signals);
    sigaddset (&signals, SIGINT);
    sigaddset (&signals, SIGTERM);
    sigaddset (&signals, SIGHUP);
    pthread_sigmask (SIG_BLOCK, &signals, nullptr);

    StandInServer server;
    std::mutex logLock;

    // One line per request, as it came: method, path and query, a form's body (other bodies by
    // their size), then the status sent.
    server.setRequestListener ([&logLock] (const StandInServer::RecordedRequest& request, int status)
                               {
        const std::lock_guard<std::mutex> guard (logLock);
        std::cout << request.method << " " << request.path << (request.rawQuery.empty() ? "" : "?") << request.rawQuery
                  << describeBody (request)
                  << " -> " << (status == 0 ? std::string ("dropped") : std::to_string (status)) << std::endl; });

    if (! server.serveFolder (root))
    {
        std::cerr << "No such folder: " << root << "\n";
        return 1;
    }

    StandInServer::Behaviour slowly;
    slowly.trickleBytes = 1000;
    slowly.trickleIntervalMs = 100;

    for (const auto& path : trickled)
        server.setBehaviour (path, slowly);

    if (server.start (port) == 0)
    {
        std::cerr << "Cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }

    std::cout << "Stand-in server on http://127.0.0.1:" << server.getPort() << "/ serving " << root << std::endl;

    int received = 0;
    sigwait (&signals, &received);

    server.stop();
    return 0;
}
