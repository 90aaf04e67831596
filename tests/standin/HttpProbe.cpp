#include "standin/HttpProbe.h"

#include <optional>

namespace HttpProbe
{
namespace
{
    Fetched open (const juce::URL& url, juce::URL::ParameterHandling handling)
    {
        Fetched fetched;
        auto options = juce::URL::InputStreamOptions (handling)
                           .withConnectionTimeoutMs (5000)
                           .withStatusCode (&fetched.status)
                           .withResponseHeaders (&fetched.headers);

        if (auto stream = url.createInputStream (options))
        {
            fetched.opened = true;
            fetched.totalLength = stream->getTotalLength();
            stream->readIntoMemoryBlock (fetched.body);
        }

        return fetched;
    }

    juce::URL address (int port, const juce::String& target)
    {
        return juce::URL::createWithoutParsing ("http://127.0.0.1:" + juce::String (port) + target);
    }

    std::string lowerCase (std::string text)
    {
        for (auto& c : text)
            c = (char) juce::CharacterFunctions::toLowerCase ((juce::juce_wchar) (unsigned char) c);

        return text;
    }

    // The value of the first header line of that name (any case), or nothing when there is none.
    std::optional<std::string> findHeader (const std::string& bytes, const std::string& name)
    {
        const auto head = bytes.substr (0, bytes.find ("\r\n\r\n"));
        const auto start = lowerCase (head).find ("\r\n" + lowerCase (name) + ":");

        if (start == std::string::npos)
            return std::nullopt;

        const auto valueStart = start + 2 + name.size() + 1;
        return juce::String (head.substr (valueStart, head.find ("\r\n", valueStart) - valueStart)).trim().toStdString();
    }
} // namespace

Fetched get (int port, const juce::String& target)
{
    return open (address (port, target), juce::URL::ParameterHandling::inAddress);
}

Fetched post (int port, const juce::String& target, const juce::String& body)
{
    return open (address (port, target).withPOSTData (body), juce::URL::ParameterHandling::inPostData);
}

//==============================================================================
int RawReply::getStatus() const
{
    if (bytes.rfind ("HTTP/1.", 0) != 0 || bytes.size() < 12)
        return 0;

    return std::atoi (bytes.substr (9, 3).c_str());
}

std::string RawReply::getHeader (const std::string& name) const
{
    return findHeader (bytes, name).value_or (std::string());
}

bool RawReply::hasHeader (const std::string& name) const
{
    return findHeader (bytes, name).has_value();
}

std::string RawReply::getBody() const
{
    const auto headEnd = bytes.find ("\r\n\r\n");
    return headEnd == std::string::npos ? std::string() : bytes.substr (headEnd + 4);
}

//==============================================================================
RawConnection::RawConnection (int port)
{
    socket.connect ("127.0.0.1", port, 5000);
}

bool RawConnection::isConnected() const
{
    return socket.isConnected();
}

bool RawConnection::send (const std::string& text)
{
    return socket.write (text.data(), (int) text.size()) == (int) text.size();
}

bool RawConnection::answersWithin (int milliseconds)
{
    return socket.waitUntilReady (true, milliseconds) != 0;
}

RawReply RawConnection::readUntilClosed (int timeoutMs)
{
    RawReply reply;
    char buffer[4096];

    for (;;)
    {
        const int ready = socket.waitUntilReady (true, timeoutMs);

        if (ready == 0)
            break;

        // An error here is a reset connection: closed too.
        const int count = ready < 0 ? -1 : socket.read (buffer, (int) sizeof (buffer), false);

        if (count <= 0)
        {
            reply.closed = true;
            break;
        }

        reply.bytes.append (buffer, (std::size_t) count);
        ++reply.reads;
    }

    return reply;
}

std::string makeGet (const std::string& target)
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

RawReply exchange (int port, const std::string& requestText)
{
    RawConnection connection (port);

    if (! connection.isConnected() || ! connection.send (requestText))
        return {};

    return connection.readUntilClosed();
}

std::string dechunk (const std::string& body)
{
    std::string payload;
    std::size_t position = 0;

    for (;;)
    {
        const auto lineEnd = body.find ("\r\n", position);
        if (lineEnd == std::string::npos)
            return {};

        const auto size = (std::size_t) std::strtoul (body.substr (position, lineEnd - position).c_str(), nullptr, 16);

        if (size == 0)
            return body.compare (lineEnd, 4, "\r\n\r\n") == 0 ? payload : std::string();

        if (lineEnd + 2 + size + 2 > body.size())
            return {};

        payload += body.substr (lineEnd + 2, size);
        position = lineEnd + 2 + size + 2;
    }
}
} // namespace HttpProbe
