#include "support/RawHttpServer.h"

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

void RawHttpServer::answerWith (const std::string& replyBytes, bool stallAfterReply)
{
    const juce::ScopedLock sl (lock);
    reply = replyBytes;
    stall = stallAfterReply;
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
        bool keepOpen = false;

        {
            const juce::ScopedLock sl (lock);
            requests.push_back (request);
            answer = reply;
            keepOpen = stall;
        }

        requestReceived.signal();
        connection->write (answer.data(), (int) answer.size());

        while (keepOpen && ! threadShouldExit() && connection->isConnected())
            if (connection->waitUntilReady (true, 50) == 1 && connection->read (readBuffer, sizeof (readBuffer), false) <= 0)
                break;
    }
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
    startThread();
}

ConnectionRecorder::~ConnectionRecorder()
{
    signalThreadShouldExit();
    listener.close();
    stopThread (5000);
}

void ConnectionRecorder::run()
{
    while (! threadShouldExit())
    {
        std::unique_ptr<juce::StreamingSocket> connection (listener.waitForNextConnection());

        if (connection != nullptr && ! threadShouldExit())
            ++connections;
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
