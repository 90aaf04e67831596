#include "catalogue/CurlWebStream.h"

#include <curl/curl.h>

#include <cstring>

namespace
{
// The framework's stream follows up to 5 redirects.
constexpr long maxRedirects = 5;

// Larger socket reads than libcurl's default: fewer wake-ups for a large archive.
constexpr long receiveBufferSize = 128 * 1024;

// The longest single wait when curl has no timer of its own sooner; a cancel wakes it at once.
constexpr int longestWaitMs = 30000;

void initialiseCurlOnce()
{
    static const auto result = curl_global_init (CURL_GLOBAL_DEFAULT);
    juce::ignoreUnused (result);
}

CURLM* asMulti (void* handle)
{
    return static_cast<CURLM*> (handle);
}

CURL* asEasy (void* handle)
{
    return static_cast<CURL*> (handle);
}

// The first request speaks only http or https, and a redirect only the schemes given.
bool restrictSchemes (CURL* handle, const char* redirectSchemes)
{
#if LIBCURL_VERSION_NUM >= 0x075500
    return curl_easy_setopt (handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK
           && curl_easy_setopt (handle, CURLOPT_REDIR_PROTOCOLS_STR, redirectSchemes) == CURLE_OK;
#else
    const long redirects = std::strcmp (redirectSchemes, "https") == 0 ? CURLPROTO_HTTPS : (CURLPROTO_HTTP | CURLPROTO_HTTPS);
    return curl_easy_setopt (handle, CURLOPT_PROTOCOLS, (long) (CURLPROTO_HTTP | CURLPROTO_HTTPS)) == CURLE_OK
           && curl_easy_setopt (handle, CURLOPT_REDIR_PROTOCOLS, redirects) == CURLE_OK;
#endif
}
} // namespace

CurlWebStream::CurlWebStream (const juce::URL& address, bool usePost)
    : url (address)
    , parametersInBody (usePost)
    , post (usePost || ! address.getPostDataAsMemoryBlock().isEmpty())
{
    initialiseCurlOnce();
    multi = curl_multi_init();
    easy = curl_easy_init();
}

CurlWebStream::~CurlWebStream()
{
    if (multi != nullptr && easy != nullptr && started)
        curl_multi_remove_handle (asMulti (multi), asEasy (easy));

    if (headerList != nullptr)
        curl_slist_free_all (headerList);

    if (easy != nullptr)
        curl_easy_cleanup (asEasy (easy));

    if (multi != nullptr)
        curl_multi_cleanup (asMulti (multi));
}

void CurlWebStream::setTimeout (int milliseconds)
{
    timeoutMs = milliseconds;
}

void CurlWebStream::cancel()
{
    cancelled = true;

    if (multi != nullptr)
        curl_multi_wakeup (asMulti (multi));
}

bool CurlWebStream::isError() const
{
    return failed || cancelled || multi == nullptr || easy == nullptr;
}

const char* CurlWebStream::getRedirectSchemes (const juce::String& address)
{
    // An http address is plain text from its start, so a later hop to http loses nothing; an
    // https address must never be read over plain http.
    return address.trimStart().startsWithIgnoreCase ("https:") ? "https" : "http,https";
}

bool CurlWebStream::isExhausted() const
{
    return (isError() || finished) && available() == 0;
}

//==============================================================================
// The options, headers and body of the framework's web stream, so the server receives the same bytes.
bool CurlWebStream::setOptions()
{
    auto* handle = asEasy (easy);
    const auto address = url.toString (! parametersInBody);
    const auto userAgent = juce::String ("curl/") + curl_version_info (CURLVERSION_NOW)->version;

    requestHeaders = "\r\n";

    if (post)
    {
        juce::MemoryOutputStream data (body, false);
        const auto query = url.getQueryString();

        if (parametersInBody && query.isNotEmpty())
            data << query.substring (1);

        data << url.getPostDataAsMemoryBlock();
        data.flush();

        requestHeaders << "Content-Type: application/x-www-form-urlencoded\r\n"
                       << "Content-length: " << (int) body.getSize() << "\r\n";
    }

    if (curl_easy_setopt (handle, CURLOPT_URL, address.toRawUTF8()) != CURLE_OK
        || curl_easy_setopt (handle, CURLOPT_WRITEDATA, this) != CURLE_OK
        || curl_easy_setopt (handle, CURLOPT_WRITEFUNCTION, writeCallback) != CURLE_OK
        || curl_easy_setopt (handle, CURLOPT_NOSIGNAL, 1L) != CURLE_OK
        || curl_easy_setopt (handle, CURLOPT_MAXREDIRS, maxRedirects) != CURLE_OK
        || curl_easy_setopt (handle, CURLOPT_USERAGENT, userAgent.toRawUTF8()) != CURLE_OK
        || curl_easy_setopt (handle, CURLOPT_FOLLOWLOCATION, 1L) != CURLE_OK
        || curl_easy_setopt (handle, CURLOPT_BUFFERSIZE, receiveBufferSize) != CURLE_OK
        || ! restrictSchemes (handle, getRedirectSchemes (address)))
        return false;

    if (post
        && (curl_easy_setopt (handle, CURLOPT_READDATA, this) != CURLE_OK
            || curl_easy_setopt (handle, CURLOPT_READFUNCTION, readCallback) != CURLE_OK
            || curl_easy_setopt (handle, CURLOPT_POST, 1L) != CURLE_OK
            || curl_easy_setopt (handle, CURLOPT_POSTFIELDSIZE_LARGE, (curl_off_t) body.getSize()) != CURLE_OK))
        return false;

    if (timeoutMs > 0)
    {
        const auto seconds = ((long) timeoutMs + 999) / 1000;

        if (curl_easy_setopt (handle, CURLOPT_CONNECTTIMEOUT, seconds) != CURLE_OK
            || curl_easy_setopt (handle, CURLOPT_LOW_SPEED_LIMIT, 100L) != CURLE_OK
            || curl_easy_setopt (handle, CURLOPT_LOW_SPEED_TIME, seconds) != CURLE_OK)
            return false;
    }

    for (auto& line : juce::StringArray::fromLines (requestHeaders))
    {
        auto* extended = curl_slist_append (headerList, line.toRawUTF8());

        if (extended == nullptr)
            return false;

        headerList = extended;
    }

    return curl_easy_setopt (handle, CURLOPT_HTTPHEADER, headerList) == CURLE_OK;
}

bool CurlWebStream::connect()
{
    if (started)
        return ! isError();

    started = true;

    if (isError() || ! setOptions() || curl_multi_add_handle (asMulti (multi), asEasy (easy)) != CURLM_OK)
    {
        failed = true;
        return false;
    }

    while (! finished && available() == 0)
        if (! step())
            break;

    if (isError())
        return false;

    long code = 0;

    if (curl_easy_getinfo (asEasy (easy), CURLINFO_RESPONSE_CODE, &code) == CURLE_OK)
        statusCode = (int) code;

    curl_off_t length = -1;

    if (curl_easy_getinfo (asEasy (easy), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK)
        totalLength = (juce::int64) length;

    return true;
}

// Lets curl move the transfer on, and waits for the network when that brought nothing.
bool CurlWebStream::step()
{
    if (isError() || finished)
        return false;

    int running = 0;

    if (curl_multi_perform (asMulti (multi), &running) != CURLM_OK)
    {
        failed = true;
        return false;
    }

    if (running == 0)
    {
        int queued = 0;

        while (auto* message = curl_multi_info_read (asMulti (multi), &queued))
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                failed = message->data.result != CURLE_OK;

        finished = true;
        return true;
    }

    if (available() > 0)
        return true;

    int ready = 0;

    if (curl_multi_poll (asMulti (multi), nullptr, 0, longestWaitMs, &ready) != CURLM_OK)
    {
        failed = true;
        return false;
    }

    return ! cancelled;
}

int CurlWebStream::read (void* destination, int maxBytes)
{
    if (! started || maxBytes <= 0)
        return 0;

    int done = 0;

    while (done < maxBytes && ! cancelled)
    {
        if (available() == 0)
        {
            if (finished || ! step())
                break;

            continue;
        }

        const auto amount = juce::jmin ((size_t) (maxBytes - done), available());

        if (destination != nullptr)
            memcpy (static_cast<char*> (destination) + done, received.data() + readPosition, amount);

        readPosition += amount;
        done += (int) amount;
        position += (juce::int64) amount;
    }

    return done;
}

bool CurlWebStream::setPosition (juce::int64 newPosition)
{
    while (position < newPosition)
        if (read (nullptr, (int) juce::jmin ((juce::int64) 65536, newPosition - position)) == 0)
            return false;

    return position == newPosition;
}

//==============================================================================
size_t CurlWebStream::receive (const char* data, size_t size)
{
    if (cancelled)
        return 0;

    // Curl is only asked for more once everything handed out before has been read: the bytes
    // start again at the front, and nothing is ever moved.
    if (readPosition == received.size())
    {
        received.clear();
        readPosition = 0;
    }

    received.insert (received.end(), data, data + size);
    return size;
}

size_t CurlWebStream::sendBody (char* destination, size_t size)
{
    const auto amount = juce::jmin (size, body.getSize() - bodySent);
    memcpy (destination, static_cast<const char*> (body.getData()) + bodySent, amount);
    bodySent += amount;
    return amount;
}

size_t CurlWebStream::writeCallback (char* data, size_t size, size_t count, void* stream)
{
    return static_cast<CurlWebStream*> (stream)->receive (data, size * count);
}

size_t CurlWebStream::readCallback (char* destination, size_t size, size_t count, void* stream)
{
    return static_cast<CurlWebStream*> (stream)->sendBody (destination, size * count);
}
