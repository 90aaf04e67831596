#include <gtest/gtest.h>

#include "catalogue/CurlWebStream.h"
#include "catalogue/ServerRequest.h"
#include "catalogue/WebReader.h"
#include "services/ProgramValues.h"
#include "support/RawHttpServer.h"

#include <atomic>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace
{
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
        server.answerAndStall (stopsAfterFirstBytes ? "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\nfirst bytes" : "");

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

TEST (WebReader, EveryReaderSeesABrokenTransferAndNoRedirectLeavesOurSchemes)
{
    // Set once a reader that reads its WebReader itself has connected: only then do its replies
    // end, so a cut always comes after the reader was handed the first bytes.
    std::atomic<bool> readerConnected{ false };
    RawHttpServer server, elsewhere;
    ConnectionRecorder otherScheme;
    useServerOriginForTests (server.getOrigin());
    const auto previousTimeout = ServerRequest::getMessageThreadTimeoutMs();
    ServerRequest::setMessageThreadTimeoutMs (5000);

    const std::string payload = "payload";
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    elsewhere.answerWith (ok + "Content-Length: 5\r\n\r\nmoved");

    // Several times the readers' buffers and curl's, so every reader takes it in pieces.
    std::string large (600000, ' ');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = (char) ('a' + (i * 7) % 26);

    auto redirectTo = [] (const juce::String& location)
    {
        return "HTTP/1.1 302 Found\r\nLocation: " + location.toStdString() + "\r\nContent-Length: 0\r\n\r\n";
    };

    using Ending = RawHttpServer::Ending;

    struct Case
    {
        juce::String label;
        std::string reply;
        std::optional<std::string> wholeBody; // none when every reader must see a failure
        Ending ending = Ending::close;
    };

    std::vector<Case> cases{
        { "length, whole", ok + "Content-Length: 7\r\n\r\n" + payload, payload },
        { "length, cut short", ok + "Content-Length: 20\r\n\r\n" + payload, {} },
        { "chunked, whole", chunked + makeChunkedBody (payload, 3, true), payload },
        { "chunked, cut before its last chunk", chunked + makeChunkedBody (payload, 3, false), {} },
        { "chunked, cut inside a chunk", chunked + "5\r\npay", {} },
        { "ended by closing", ok + "Connection: close\r\n\r\n" + payload, payload },
        { "large, length, cut short", ok + "Content-Length: " + std::to_string (large.size() + 1) + "\r\n\r\n" + large, {} },
        { "large, chunked, cut before its last chunk", chunked + makeChunkedBody (large, 50000, false), {} },
        // Without a length only the way the connection ends tells a whole reply from a cut one.
        { "large, ended by closing", ok + "Connection: close\r\n\r\n" + large, large },
        { "large, ended by a reset", ok + "Connection: close\r\n\r\n" + large, {}, Ending::reset },
        { "redirect to http", redirectTo (elsewhere.getOrigin() + "/b"), "moved" },
    };

    for (auto* scheme : { "ftp", "FTP", "ftps", "dict", "gopher", "telnet", "imap", "pop3", "smtp", "ldap", "rtsp", "mqtt", "smb", "scp", "sftp" })
    {
        const auto location = juce::String (scheme) + "://127.0.0.1:" + juce::String (otherScheme.getPort()) + "/a";
        cases.push_back ({ "redirect to " + location, redirectTo (location), {} });
    }

    for (auto& [label, reply, wholeBody, ending] : cases)
    {
        SCOPED_TRACE (label);
        server.answerWith (reply, ending);
        const bool whole = wholeBody.has_value();
        const std::string expected = whole ? *wholeBody : "";

        juce::MemoryBlock bytes;
        EXPECT_EQ (ServerRequest ("GET_VERSION").readBytes (bytes), whole);
        EXPECT_EQ (bytes.toString().toStdString(), expected);

        // A POST is not sent again after a redirect (its body is not rewound): it must only fail.
        if (! whole || ! label.startsWith ("redirect"))
        {
            bool replied = ! whole;
            EXPECT_EQ (ServerRequest ("RESET_PASSWORD").withParameter ("email", "a@b.c").postAndReadText (&replied).toStdString(), expected);
            EXPECT_EQ (replied, whole);
        }

        // As the download loops read (blocks until a read gives nothing, then ask how it ended),
        // and as readAll does.
        for (auto byBlocks : { true, false })
        {
            SCOPED_TRACE (byBlocks ? "by blocks" : "readAll");
            readerConnected = false;
            server.answerWith (reply, ending, [&readerConnected]
                               { return readerConnected.load(); });

            WebReader reader (ServerRequest::makeUrl (server.getOrigin() + "/plugrepo/a.zip"), false, nullptr, 5000);
            const bool connected = reader.connect();
            readerConnected = connected;
            std::string received;
            bool arrivedWhole = false;

            if (connected && byBlocks)
            {
                char block[1024];

                for (auto n = reader.read (block, sizeof (block)); n > 0; n = reader.read (block, sizeof (block)))
                    received.append (block, (size_t) n);

                EXPECT_TRUE (reader.isExhausted());
                arrivedWhole = ! reader.hasFailed();
            }
            else if (connected)
            {
                juce::MemoryBlock all;
                arrivedWhole = reader.readAll (all, ServerRequest::maxReplyBytes);
                received.assign (static_cast<const char*> (all.getData()), all.getSize());
            }

            // Only a redirect we do not follow leaves no reply to connect to.
            EXPECT_EQ (connected, whole || ! label.startsWith ("redirect"));
            EXPECT_EQ (arrivedWhole, whole);
            EXPECT_EQ (reader.hasFailed(), ! whole);

            if (whole || ! byBlocks)
                EXPECT_TRUE (received == expected) << received.size() << " bytes read of " << expected.size();
        }
    }

    EXPECT_EQ (otherScheme.stopAndCountConnections(), 0) << "a redirect led to another scheme";
    ServerRequest::setMessageThreadTimeoutMs (previousTimeout);

    // An https address is never redirected to plain http; an http one may go on to https.
    const std::pair<const char*, const char*> redirectSchemes[] = {
        { "https://www.quorvelan.com/plugin_manager.htm", "https" },
        { "HTTPS://www.quorvelan.com/plugrepo/a.zip", "https" },
        { "http://127.0.0.1:47311/plugin_manager.htm", "http,https" },
        { "Http://127.0.0.1:47311/plugrepo/", "http,https" },
    };

    for (auto& [address, schemes] : redirectSchemes)
        EXPECT_STREQ (CurlWebStream::getRedirectSchemes (address), schemes) << address;
}
