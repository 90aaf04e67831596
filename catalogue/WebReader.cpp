#include "catalogue/WebReader.h"

namespace
{
constexpr int readAllBlockSize = 256 * 1024;
}

WebReader::WebReader (const juce::URL& url, bool usePost, juce::Thread* taskThread, int timeoutMs)
    : stream (url, usePost)
    , task (taskThread)
{
    if (timeoutMs > 0)
        stream.setTimeout (timeoutMs);

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

    connected = stream.connect() && ! cancelled;
    return connected;
}

bool WebReader::readAll (juce::MemoryBlock& destination, juce::int64 maxBytes)
{
    if (! connected)
        return false;

    // Read through this stream's own read, so the bound holds whatever stream lies beneath.
    // A reply that announces more than the bound is not read at all.
    if (getTotalLength() > maxBytes)
        return false;

    // Large reads take whatever the stream holds at once rather than a little at a time.
    juce::MemoryOutputStream received;
    juce::HeapBlock<char> buffer (readAllBlockSize);

    while (! cancelled)
    {
        const auto numRead = read (buffer, readAllBlockSize);

        if (numRead <= 0)
            break;

        if ((juce::int64) received.getDataSize() + numRead > maxBytes)
            return false;

        received.write (buffer.get(), (size_t) numRead);
    }

    // A reply cut short (a broken connection, a stalled server given up) is no reply.
    if (hasFailed())
        return false;

    destination.append (received.getData(), received.getDataSize());
    return true;
}

bool WebReader::hasFailed() const
{
    return ! connected || cancelled || stream.isError();
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
