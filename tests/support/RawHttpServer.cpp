#include "support/RawHttpServer.h"

#include <fcntl.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

RawHttpServer::RawHttpServer()
    : juce::Thread ("raw http")
{
    listener.createListener (0, "127.0.0.1");
    startThread();
}

RawHttpServer::~RawHttpServer()
{
    signalThreadShouldExit();
    listener.close();
    stopThread (5000);
}

void RawHttpServer::answerWith (const std::string& replyBytes, Ending ending, std::function<bool()> holdUntil)
{
    const juce::ScopedLock sl (lock);
    reply = replyBytes;
    replyEnding = ending;
    replyHoldUntil = std::move (holdUntil);
}

void RawHttpServer::answerAndStall (const std::string& replyBytes)
{
    answerWith (replyBytes, Ending::close, []
                { return false; });
}

std::vector<std::string> RawHttpServer::takeRequests()
{
    const juce::ScopedLock sl (lock);
    return std::exchange (requests, {});
}

void RawHttpServer::run()
{
    while (! threadShouldExit())
    {
        std::unique_ptr<juce::StreamingSocket> connection (listener.waitForNextConnection());

        if (connection == nullptr)
            continue;

        auto request = readRequest (*connection);
        std::string answer;
        auto ending = Ending::close;
        std::function<bool()> holdUntil;

        {
            const juce::ScopedLock sl (lock);
            requests.push_back (request);
            answer = reply;
            ending = replyEnding;
            holdUntil = replyHoldUntil;
        }

        requestReceived.signal();
        writeAll (*connection, answer);

        while (holdUntil != nullptr && ! threadShouldExit() && ! holdUntil())
        {
            const auto ready = connection->waitUntilReady (true, 10);

            if (ready < 0 || (ready == 1 && connection->read (readBuffer, sizeof (readBuffer), false) <= 0))
                break;
        }

        if (ending == Ending::reset)
            reset (*connection);
    }
}

void RawHttpServer::writeAll (juce::StreamingSocket& connection, const std::string& bytes)
{
    // The reads leave the socket non-blocking; a client that hangs up mid-reply ends the write,
    // not the process.
    for (size_t sent = 0; sent < bytes.size() && ! threadShouldExit();)
    {
        const auto numSent = ::send (connection.getRawSocketHandle(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);

        if (numSent > 0)
            sent += (size_t) numSent;
        else if (numSent == 0 || (errno != EINTR && errno != EAGAIN) || connection.waitUntilReady (false, 100) < 0)
            return;
    }
}

void RawHttpServer::reset (juce::StreamingSocket& connection)
{
    const auto handle = connection.getRawSocketHandle();

    // A reset drops whatever has not reached the client yet.
    for (int unsent = 1; unsent > 0 && ! threadShouldExit();)
    {
        if (ioctl (handle, SIOCOUTQ, &unsent) != 0)
            return;

        if (unsent > 0)
            juce::Thread::sleep (1);
    }

    // Disconnecting a connected TCP socket sends a RST, and the close that follows sends nothing.
    sockaddr unspecified{};
    unspecified.sa_family = AF_UNSPEC;
    ::connect (handle, &unspecified, sizeof (unspecified));
}

std::string RawHttpServer::readRequest (juce::StreamingSocket& connection)
{
    std::string bytes;
    size_t expected = std::string::npos;

    while (bytes.size() < expected && ! threadShouldExit())
    {
        if (connection.waitUntilReady (true, 100) != 1)
            continue;

        auto numRead = connection.read (readBuffer, sizeof (readBuffer), false);

        if (numRead <= 0)
            break;

        bytes.append (readBuffer, (size_t) numRead);
        const auto headEnd = bytes.find ("\r\n\r\n");

        if (headEnd != std::string::npos && expected == std::string::npos)
        {
            const juce::String head (bytes.substr (0, headEnd));
            const auto lengthText = head.fromFirstOccurrenceOf ("\ncontent-length:", false, true).upToFirstOccurrenceOf ("\r", false, false);
            expected = headEnd + 4 + (size_t) lengthText.trim().getIntValue();
        }
    }

    return bytes;
}

//==============================================================================
ConnectionRecorder::ConnectionRecorder()
    : juce::Thread ("connection recorder")
{
    listener.createListener (0, "127.0.0.1");

    // Taking connections never blocks: the thread stops without a connection to wake it, and
    // whatever waits in the queue then is still taken and counted.
    const auto handle = listener.getRawSocketHandle();
    fcntl (handle, F_SETFL, fcntl (handle, F_GETFL) | O_NONBLOCK);
    startThread();
}

ConnectionRecorder::~ConnectionRecorder()
{
    stopThread (5000);
    listener.close();
}

int ConnectionRecorder::stopAndCountConnections()
{
    stopThread (5000);
    connections += hangUpOnWaiting();
    listener.close();
    return connections.load();
}

void ConnectionRecorder::run()
{
    while (! threadShouldExit())
        if (listener.waitUntilReady (true, 10) == 1)
            connections += hangUpOnWaiting();
}

int ConnectionRecorder::hangUpOnWaiting()
{
    int taken = 0;

    for (;;)
    {
        const auto connection = ::accept (listener.getRawSocketHandle(), nullptr, nullptr);

        if (connection >= 0)
        {
            ::close (connection);
            ++taken;
        }
        else if (errno != EINTR && errno != ECONNABORTED)
        {
            return taken;
        }
    }
}

//==============================================================================
std::string makeChunkedBody (const std::string& payload, size_t chunkSize, bool withLastChunk)
{
    std::string body;

    for (size_t start = 0; start < payload.size(); start += chunkSize)
    {
        const auto chunk = payload.substr (start, chunkSize);
        body += juce::String::toHexString ((int) chunk.size()).toStdString() + "\r\n" + chunk + "\r\n";
    }

    if (withLastChunk)
        body += "0\r\n\r\n";

    return body;
}
