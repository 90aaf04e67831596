#include "catalogue/WebReader.h"

WebReader::WebReader (const juce::URL& url, bool usePost, juce::Thread* taskThread)
    : stream (url, usePost)
    , task (taskThread)
{
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

bool WebReader::readAll (juce::MemoryBlock& destination)
{
    if (! connected)
        return false;

    char buffer[8192];

    for (;;)
    {
        auto numRead = stream.read (buffer, (int) sizeof (buffer));

        if (numRead <= 0)
            break;

        destination.append (buffer, (size_t) numRead);
    }

    return ! cancelled;
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
