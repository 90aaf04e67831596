#include "catalogue/WebReader.h"

WebReader::WebReader (const juce::URL& url, bool usePost, juce::Thread* taskThread, int timeoutMs)
    : stream (url, usePost)
    , task (taskThread)
{
    if (timeoutMs > 0)
        stream.withConnectionTimeout (timeoutMs);

    if (task != nullptr)
    {
        task->addListener (this);

        if (task->threadShouldExit())
            exitSignalSent();
    }
}

WebReader::~WebReader()
{
    if (task != nullptr)
        task->removeListener (this);
}

void WebReader::exitSignalSent()
{
    cancelled = true;
    stream.cancel();
}

bool WebReader::connect()
{
    if (cancelled)
        return false;

    // The framework's stream "connects" to a server that refused the connection too; its error
    // state tells the two apart.
    connected = stream.connect (nullptr) && ! stream.isError() && ! cancelled;
    return connected;
}

bool WebReader::readAll (juce::MemoryBlock& destination, juce::int64 maxBytes)
{
    if (! connected)
        return false;

    // Read through this stream's own read, so the bound holds whatever stream lies beneath.
    const auto sizeBefore = destination.getSize();
    char buffer[8192];

    while (! cancelled)
    {
        const auto numRead = read (buffer, (int) sizeof (buffer));

        if (numRead <= 0)
            break;

        if ((juce::int64) (destination.getSize() - sizeBefore) + numRead > maxBytes)
        {
            destination.setSize (sizeBefore);
            return false;
        }

        destination.append (buffer, (size_t) numRead);
    }

    return ! cancelled;
}

int WebReader::getStatusCode()
{
    return connected ? stream.getStatusCode() : 0;
}

juce::int64 WebReader::getTotalLength()
{
    return connected ? stream.getTotalLength() : -1;
}

int WebReader::read (void* buffer, int maxBytes)
{
    return connected && ! cancelled ? stream.read (buffer, maxBytes) : 0;
}

bool WebReader::isExhausted()
{
    return ! connected || cancelled || stream.isExhausted();
}

juce::int64 WebReader::getPosition()
{
    return connected ? stream.getPosition() : 0;
}

bool WebReader::setPosition (juce::int64 newPosition)
{
    return connected && ! cancelled && stream.setPosition (newPosition);
}
