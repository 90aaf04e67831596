#include <gtest/gtest.h>

#include "catalogue/CurlWebStream.h"
#include "catalogue/ServerRequest.h"
#include "catalogue/WebReader.h"

#include <string>
#include <tuple>
#include <utility>

namespace
{
// A server on a free port of its own that keeps the raw bytes of each request it receives and
// answers with the reply it was given; with stall set it then keeps the connection open, silent.
class RawHttpServer final : private juce::Thread
{
public:
    RawHttpServer()
        : juce::Thread ("raw http")
    {
        listener.createListener (0, "127.0.0.1");
        startThread();
    }

    ~RawHttpServer() override
    {
        signalThreadShouldExit();
        listener.close();
        stopThread (5000);
    }

    int getPort() const { return listener.getBoundPort(); }

    void answerWith (const std::string& replyBytes, bool stallAfterReply = false)
    {
        const juce::ScopedLock sl (lock);
        reply = replyBytes;
        stall = stallAfterReply;
    }

    std::vector<std::string> takeRequests()
    {
        const juce::ScopedLock sl (lock);
        return std::exchange (requests, {});
    }

    juce::WaitableEvent requestReceived;

private:
    void run() override
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

    // The head up to its blank line, then as many bytes as its Content-length names.
    std::string readRequest (juce::StreamingSocket& connection)
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

    juce::StreamingSocket listener;
    juce::CriticalSection lock;
    std::vector<std::string> requests;
    std::string reply;
    bool stall = false;
    char readBuffer[4096];
};

struct Received
{
    bool connected = false;
    int status = -1;
    juce::int64 length = -2;
    std::string body;
    std::vector<std::string> requests;
};

template <typename Stream>
void readWhole (Stream& stream, Received& received)
{
    char block[1024];

    for (;;)
    {
        auto numRead = stream.read (block, sizeof (block));

        if (numRead <= 0)
            break;

        received.body.append (block, (size_t) numRead);
    }
}
} // namespace

TEST (CurlWebStream, SendsAndReceivesAsTheFrameworkStream)
{
    RawHttpServer server;
    const auto origin = "http://127.0.0.1:" + juce::String (server.getPort());
    const auto get = ServerRequest::makeUrl (origin + "/plugin_manager.htm?ACTION=GET_VERSION&email=a%40b");
    const auto archive = ServerRequest::makeUrl (origin + "/plugrepo/components/MAC/My%20Plug.vst.zip");
    const auto post = ServerRequest::makeUrl (origin + "/plugin_manager.htm").withPOSTData ("ACTION=RESET_PASSWORD&email=me%2byou%40x.org");

    std::string large (100000, 'x');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = (char) ('a' + (i * 7) % 26);

    const std::pair<const char*, std::string> replies[] = {
        { "with length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Type: text/plain\r\n\r\nhello" },
        { "error status", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone" },
        { "chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n" },
        { "until closed", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nno length given" },
        { "many blocks", "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + large },
    };

    const std::tuple<const char*, juce::URL, bool, int> requests[] = {
        { "GET", get, false, 0 },
        { "GET with a time-out", get, false, 2500 },
        { "GET of an archive", archive, false, 0 },
        { "POST", post, true, 0 },
        { "POST with a time-out", post, true, 30000 },
    };

    int compared = 0;

    for (auto& [replyLabel, replyBytes] : replies)
    {
        server.answerWith (replyBytes);

        for (auto& [requestLabel, url, usePost, timeoutMs] : requests)
        {
            Received framework, ours;

            {
                juce::WebInputStream stream (url, usePost);

                if (timeoutMs > 0)
                    stream.withConnectionTimeout (timeoutMs);

                framework.connected = stream.connect (nullptr) && ! stream.isError();
                framework.status = stream.getStatusCode();
                framework.length = stream.getTotalLength();
                readWhole (stream, framework);
                framework.requests = server.takeRequests();
            }

            {
                CurlWebStream stream (url, usePost);

                if (timeoutMs > 0)
                    stream.setTimeout (timeoutMs);

                ours.connected = stream.connect();
                ours.status = stream.getStatusCode();
                ours.length = stream.getTotalLength();
                readWhole (stream, ours);
                EXPECT_TRUE (stream.isExhausted());
                EXPECT_EQ (stream.getPosition(), (juce::int64) ours.body.size());
                ours.requests = server.takeRequests();
            }

            const auto label = std::string (requestLabel) + ", reply " + replyLabel;
            ASSERT_EQ (framework.requests.size(), 1u) << label;
            EXPECT_TRUE (ours.connected) << label;
            EXPECT_EQ (ours.requests, framework.requests) << label;
            EXPECT_EQ (ours.status, framework.status) << label;
            EXPECT_EQ (ours.length, framework.length) << label;
            EXPECT_EQ (ours.body, framework.body) << label;
            ++compared;
        }
    }

    EXPECT_EQ (compared, 25);

    // What the framework shows and what the reads expect of it.
    server.answerWith (replies[1].second);
    CurlWebStream notFound (get, false);
    ASSERT_TRUE (notFound.connect());
    EXPECT_EQ (notFound.getStatusCode(), 404);
    EXPECT_EQ (notFound.getTotalLength(), 4);
    EXPECT_TRUE (notFound.setPosition (2));
    char rest[8] = {};
    EXPECT_EQ (notFound.read (rest, sizeof (rest)), 2);
    EXPECT_STREQ (rest, "ne");
    EXPECT_FALSE (notFound.setPosition (1));
}

TEST (CurlWebStream, RefusedConnectionsFailAndCancelEndsAReadAtOnce)
{
    int closedPort = 0;

    {
        juce::StreamingSocket probe;
        ASSERT_TRUE (probe.createListener (0, "127.0.0.1"));
        closedPort = probe.getBoundPort();
    }

    const auto refusedUrl = ServerRequest::makeUrl ("http://127.0.0.1:" + juce::String (closedPort) + "/plugin_manager.htm");
    CurlWebStream refused (refusedUrl, false);
    EXPECT_FALSE (refused.connect());
    EXPECT_TRUE (refused.isError());
    EXPECT_TRUE (refused.isExhausted());

    WebReader refusedReader (refusedUrl, false);
    EXPECT_FALSE (refusedReader.connect());

    // A server that stops, before its reply or after its first bytes, for longer than this test
    // waits: only the task's cancel (its exit signal) ends the wait.
    struct Reader final : juce::Thread
    {
        explicit Reader (const juce::URL& address)
            : juce::Thread ("reader")
            , url (address)
        {
        }

        void run() override
        {
            WebReader reader (url, false, this);
            connected = reader.connect();
            char block[1024];

            if (connected)
                numRead += reader.read (block, (int) firstBytes.size());

            firstBytesRead.signal();

            for (;;)
            {
                auto n = reader.read (block, sizeof (block));

                if (n <= 0)
                    break;

                numRead += n;
            }

            exhausted = reader.isExhausted();
        }

        const std::string firstBytes = "first bytes";
        juce::URL url;
        juce::WaitableEvent firstBytesRead;
        std::atomic<bool> connected{ false }, exhausted{ false };
        std::atomic<int> numRead{ 0 };
    };

    for (auto stopsAfterFirstBytes : { false, true })
    {
        RawHttpServer server;
        server.answerWith (stopsAfterFirstBytes ? "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\nfirst bytes" : "", true);

        Reader reader (ServerRequest::makeUrl ("http://127.0.0.1:" + juce::String (server.getPort()) + "/plugrepo/a.zip"));
        reader.startThread();
        ASSERT_TRUE (server.requestReceived.wait (10000));

        if (stopsAfterFirstBytes)
            ASSERT_TRUE (reader.firstBytesRead.wait (10000));

        // Time for the reader to settle into its wait, past curl's own short timers: a cancel
        // that merely raised a flag would then go unseen.
        juce::Thread::sleep (1000);
        reader.signalThreadShouldExit();
        EXPECT_TRUE (reader.waitForThreadToExit (20000)) << stopsAfterFirstBytes;
        EXPECT_EQ (reader.connected.load(), stopsAfterFirstBytes);
        EXPECT_EQ (reader.numRead.load(), stopsAfterFirstBytes ? (int) reader.firstBytes.size() : 0);
        EXPECT_TRUE (reader.exhausted);
    }
}
