#include "catalogue/ServerRequest.h"
#include "catalogue/WebReader.h"
#include "fuzz/FuzzCheck.h"
#include "services/ProgramValues.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// The fuzzed bytes become one HTTP reply that this target builds itself, so it knows whether the
// body went out whole. Byte 0: bits 0-1 the framing (Content-Length, chunked, ended by closing,
// redirect), bit 2 cut short, bits 3-5 the status; byte 1 the chunk size or the redirect's
// scheme; byte 2 where the cut falls, or how the redirect's scheme is written. Then extra header
// lines up to the first blank line, then the body. A loopback listener sends the reply and
// closes; a second listener stands where the redirects point, under schemes we never speak.
namespace
{
constexpr int waitMs = 2000;

int listenOnLoopback (bool nonBlocking)
{
    const int fd = socket (AF_INET, SOCK_STREAM | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);

    if (fd < 0 || bind (fd, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0 || listen (fd, 16) != 0)
        std::abort();

    return fd;
}

int getPort (int fd)
{
    sockaddr_in address{};
    socklen_t size = sizeof (address);
    getsockname (fd, reinterpret_cast<sockaddr*> (&address), &size);
    return ntohs (address.sin_port);
}

bool waitReadable (int fd)
{
    pollfd entry{ fd, POLLIN, 0 };
    return poll (&entry, 1, waitMs) == 1;
}

std::mutex replyLock;
std::string currentReply;
int replyListener = -1, otherSchemeListener = -1;

// One connection at a time: the request head is read whole (so nothing unread turns the close
// into a reset), the reply written, the sending side shut, and the client left to close.
void serve()
{
    for (;;)
    {
        const int connection = accept (replyListener, nullptr, nullptr);

        if (connection < 0)
            continue;

        std::string request;
        char buffer[4096];

        while (request.find ("\r\n\r\n") == std::string::npos && waitReadable (connection))
        {
            const auto numRead = recv (connection, buffer, sizeof (buffer), 0);

            if (numRead <= 0)
                break;

            request.append (buffer, (size_t) numRead);
        }

        std::string reply;

        {
            const std::lock_guard<std::mutex> lock (replyLock);
            reply = currentReply;
        }

        for (size_t sent = 0; sent < reply.size();)
        {
            const auto numSent = send (connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);

            if (numSent <= 0)
                break;

            sent += (size_t) numSent;
        }

        shutdown (connection, SHUT_WR);

        while (waitReadable (connection) && recv (connection, buffer, sizeof (buffer), 0) > 0)
        {
        }

        close (connection);
    }
}

// True when anything connected to the other scheme's listener since the last call.
bool otherSchemeWasReached()
{
    bool reached = false;

    for (int connection; (connection = accept (otherSchemeListener, nullptr, nullptr)) >= 0;)
    {
        reached = true;
        close (connection);
    }

    return reached;
}

std::string toLower (std::string text)
{
    std::transform (text.begin(), text.end(), text.begin(), [] (unsigned char c)
                    { return (char) std::tolower (c); });
    return text;
}

// Header lines that cannot change where the body ends or where the request goes.
std::string keepHarmlessHeaders (const std::string& text)
{
    std::string kept;
    size_t start = 0;

    while (start < text.size())
    {
        auto end = text.find ('\n', start);

        if (end == std::string::npos)
            end = text.size();

        auto line = text.substr (start, end - start);
        start = end + 1;

        if (! line.empty() && line.back() == '\r')
            line.pop_back();

        const auto lower = toLower (line);
        const bool harmless = ! line.empty() && line.find_first_of (std::string ("\r\0", 2)) == std::string::npos
                              && lower.find ("content-length") == std::string::npos
                              && lower.find ("transfer-encoding") == std::string::npos
                              && lower.find ("content-encoding") == std::string::npos
                              && lower.find ("location") == std::string::npos
                              && lower.rfind ("http/", 0) != 0;

        if (harmless)
            kept += line + "\r\n";
    }

    return kept;
}

std::string toHex (size_t value)
{
    static const char* digits = "0123456789abcdef";
    std::string hex;

    do
    {
        hex.insert (hex.begin(), digits[value & 15]);
        value >>= 4;
    } while (value != 0);

    return hex;
}

struct Built
{
    std::string reply, body;
    bool mustFail = false; // cut short, or redirected to a scheme we never speak
};

Built build (const std::uint8_t* data, std::size_t size)
{
    static const int statuses[] = { 200, 200, 201, 203, 404, 410, 500, 502 };
    static const int redirects[] = { 301, 302, 303, 307, 308, 302, 302, 302 };
    static const char* schemes[] = { "ftp", "ftps", "dict", "gopher", "telnet", "imap", "pop3", "smtp", "ldap", "rtsp", "mqtt", "smb", "scp", "sftp", "tftp", "file" };

    const auto flags = data[0], second = data[1], third = data[2];
    const std::string rest (reinterpret_cast<const char*> (data) + 3, size - 3);
    const auto blank = rest.find ("\n\n");
    const auto headers = keepHarmlessHeaders (blank == std::string::npos ? std::string() : rest.substr (0, blank));

    Built built;
    built.body = blank == std::string::npos ? rest : rest.substr (blank + 2);
    const auto framing = flags & 3;
    const bool cut = (flags & 4) != 0;
    const auto statusIndex = (flags >> 3) & 7;
    auto& reply = built.reply;

    if (framing == 3)
    {
        std::string scheme = schemes[second % (sizeof (schemes) / sizeof (schemes[0]))];

        if ((third & 1) != 0)
            std::transform (scheme.begin(), scheme.end(), scheme.begin(), [] (unsigned char c)
                            { return (char) std::toupper (c); });

        reply = "HTTP/1.1 " + std::to_string (redirects[statusIndex]) + " Moved\r\n" + headers + "Location:"
                + std::string ((third >> 1) & 3, ' ') + scheme + "://127.0.0.1:" + std::to_string (getPort (otherSchemeListener))
                + "/a\r\nContent-Length: " + std::to_string (built.body.size()) + "\r\n\r\n" + built.body;
        built.mustFail = true;
        return built;
    }

    reply = "HTTP/1.1 " + std::to_string (statuses[statusIndex]) + " Status\r\n" + headers;

    if (framing == 0)
    {
        if (cut)
        {
            // Announce the whole body, send less: at most all but one byte.
            const auto announced = std::max<size_t> (built.body.size(), 1);
            const auto sent = announced - 1 - third % announced;
            reply += "Content-Length: " + std::to_string (announced) + "\r\n\r\n" + built.body.substr (0, sent);
            built.mustFail = true;
        }
        else
        {
            reply += "Content-Length: " + std::to_string (built.body.size()) + "\r\n\r\n" + built.body;
        }
    }
    else if (framing == 1)
    {
        const size_t chunkSize = 1 + second % 64;
        std::string encoded;

        for (size_t start = 0; start < built.body.size(); start += chunkSize)
        {
            const auto chunk = built.body.substr (start, chunkSize);
            encoded += toHex (chunk.size()) + "\r\n" + chunk + "\r\n";
        }

        // Cut anywhere up to the start of the last (empty) chunk, most often right at it.
        if (cut)
            encoded.resize (encoded.size() - third % (encoded.size() + 1));
        else
            encoded += "0\r\n\r\n";

        reply += "Transfer-Encoding: chunked\r\n\r\n" + encoded;
        built.mustFail = cut;
    }
    else
    {
        reply += "Connection: close\r\n\r\n" + built.body;
    }

    return built;
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    replyListener = listenOnLoopback (false);
    otherSchemeListener = listenOnLoopback (true);
    std::thread (serve).detach();

    useServerOriginForTests ("http://127.0.0.1:" + juce::String (getPort (replyListener)));
    ServerRequest::setMessageThreadTimeoutMs (waitMs);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;

    const auto built = build (data, size);

    {
        const std::lock_guard<std::mutex> lock (replyLock);
        currentReply = built.reply;
    }

    // A request, read whole.
    juce::MemoryBlock bytes;
    const bool replied = ServerRequest ("GET_VERSION").readBytes (bytes);

    if (built.mustFail)
        FUZZ_CHECK (! replied);

    if (replied)
        FUZZ_CHECK (bytes.isEmpty() ? built.body.empty() : std::string (static_cast<const char*> (bytes.getData()), bytes.getSize()) == built.body);

    // A download, read block by block until a read gives nothing.
    WebReader reader (ServerRequest::makeUrl (repositoryBaseUrl + "components/MAC/A.zip"), false, nullptr, waitMs);
    std::string received;

    if (reader.connect())
    {
        char block[1024];

        for (auto n = reader.read (block, sizeof (block)); n > 0; n = reader.read (block, sizeof (block)))
            received.append (block, (size_t) n);
    }

    if (built.mustFail)
        FUZZ_CHECK (reader.hasFailed());

    if (! reader.hasFailed())
        FUZZ_CHECK (received == built.body);

    FUZZ_CHECK (! otherSchemeWasReached());
    return 0;
}
