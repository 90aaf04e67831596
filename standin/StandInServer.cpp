#include "standin/StandInServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{
const std::string requestPage = "/plugin_manager.htm";
const std::string repositoryPrefix = "/plugrepo/";

int hexDigitValue (char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%hh" in either case becomes its byte; a "%" not followed by two hex digits stays as it is.
std::string percentDecode (const std::string& text, bool plusIsBlank)
{
    std::string decoded;
    decoded.reserve (text.size());

    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];

        if (c == '%' && i + 2 < text.size() && hexDigitValue (text[i + 1]) >= 0
            && hexDigitValue (text[i + 2]) >= 0)
        {
            decoded += (char) (hexDigitValue (text[i + 1]) * 16 + hexDigitValue (text[i + 2]));
            i += 2;
        }
        else if (c == '+' && plusIsBlank)
        {
            decoded += ' ';
        }
        else
        {
            decoded += c;
        }
    }

    return decoded;
}

// The pieces between the delimiters, empty ones included: "" gives one empty piece, "a/" two.
std::vector<std::string> splitAt (const std::string& text, char delimiter)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;

    for (auto end = text.find (delimiter); end != std::string::npos; end = text.find (delimiter, start))
    {
        pieces.push_back (text.substr (start, end - start));
        start = end + 1;
    }

    pieces.push_back (text.substr (start));
    return pieces;
}

// Name/value pairs of a query or a form body, decoded, in their order.
std::vector<std::pair<std::string, std::string>> parseParams (const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> params;

    for (const auto& pair : splitAt (text, '&'))
    {
        if (pair.empty())
            continue;

        const auto equals = pair.find ('=');
        const auto value = equals == std::string::npos ? std::string() : pair.substr (equals + 1);
        params.emplace_back (percentDecode (pair.substr (0, equals), true), percentDecode (value, true));
    }

    return params;
}

std::string valueOf (const std::vector<std::pair<std::string, std::string>>& params, const std::string& name)
{
    for (const auto& [paramName, value] : params)
        if (paramName == name)
            return value;

    return {};
}

std::string toLowerAscii (std::string text)
{
    std::transform (text.begin(), text.end(), text.begin(),
                    [] (unsigned char c)
                    { return (char) std::tolower (c); });
    return text;
}

std::string trimmed (const std::string& text)
{
    const auto first = text.find_first_not_of (" \t\r\n");
    if (first == std::string::npos)
        return {};

    return text.substr (first, text.find_last_not_of (" \t\r\n") - first + 1);
}

std::string escapeXml (const std::string& text)
{
    std::string escaped;

    for (const char c : text)
    {
        switch (c)
        {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            default:
                escaped += c;
                break;
        }
    }

    return escaped;
}

std::string envelope (const std::string& response, const std::string& content)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quordata response=\"" + response + "\">"
           + content + "</quordata>\n";
}

std::string errorElements (const std::vector<std::string>& errors)
{
    std::string text;

    for (const auto& error : errors)
        text += "<error>" + escapeXml (error) + "</error>";

    return text;
}

StandInServer::Reply xmlReply (const std::string& body)
{
    StandInServer::Reply reply;
    reply.body = body;
    return reply;
}

StandInServer::Reply plainReply (int status, const std::string& text)
{
    return { status, text, "text/plain; charset=utf-8" };
}

bool readWholeFile (const std::filesystem::path& file, std::string& content)
{
    std::ifstream stream (file, std::ios::binary);
    if (! stream)
        return false;

    std::ostringstream buffer;
    buffer << stream.rdbuf();
    content = buffer.str();
    return true;
}

bool isPlausibleEmail (const std::string& email)
{
    const auto at = email.find ('@');

    if (at == std::string::npos || at == 0 || email.find ('@', at + 1) != std::string::npos)
        return false;

    if (email.find_first_of (" \t\r\n") != std::string::npos)
        return false;

    const auto domain = email.substr (at + 1);
    const auto dot = domain.rfind ('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < domain.size();
}

std::size_t countCharacters (const std::string& utf8)
{
    return (std::size_t) std::count_if (utf8.begin(), utf8.end(),
                                        [] (unsigned char c)
                                        { return (c & 0xc0) != 0x80; });
}

// The script of the first target that has one, or nullptr.
template <typename Script>
const Script* findScript (const std::map<std::string, Script>& scripts, const std::vector<std::string>& targets)
{
    for (const auto& target : targets)
        if (const auto found = scripts.find (target); ! target.empty() && found != scripts.end())
            return &found->second;

    return nullptr;
}

int portOf (const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
        return ntohs (reinterpret_cast<const sockaddr_in&> (address).sin_port);

    if (address.ss_family == AF_INET6)
        return ntohs (reinterpret_cast<const sockaddr_in6&> (address).sin6_port);

    return -1;
}

// The library hides the connection's socket from handlers, so it is found by its two ports and
// shut down before a byte is written; closing it afterwards then resets the connection.
bool shutDownConnection (int localPort, int remotePort)
{
    std::error_code error;

    for (const auto& entry : std::filesystem::directory_iterator ("/proc/self/fd", error))
    {
        const int fd = std::atoi (entry.path().filename().c_str());
        sockaddr_storage local{}, peer{};
        socklen_t length = sizeof (local);

        if (getsockname (fd, reinterpret_cast<sockaddr*> (&local), &length) != 0)
            continue;

        length = sizeof (peer);

        if (getpeername (fd, reinterpret_cast<sockaddr*> (&peer), &length) != 0)
            continue;

        if (portOf (local) == localPort && portOf (peer) == remotePort)
        {
            const linger abortOnClose{ 1, 0 };
            setsockopt (fd, SOL_SOCKET, SO_LINGER, &abortOnClose, sizeof (abortOnClose));
            return shutdown (fd, SHUT_RDWR) == 0;
        }
    }

    return false;
}
} // namespace

//==============================================================================
std::string StandInServer::RecordedRequest::getHeader (const std::string& name) const
{
    const auto wanted = toLowerAscii (name);

    for (const auto& [headerName, value] : headers)
        if (toLowerAscii (headerName) == wanted)
            return value;

    return {};
}

StandInServer::StandInServer()
    : componentsXml (envelope ("OK", {}))
    , versionXml (makeVersionXml ("3.22", "3.22", {}))
{
}

StandInServer::~StandInServer()
{
    stop();
}

int StandInServer::start (int requestedPort)
{
    if (isRunning())
        return port;

    auto server = std::make_unique<httplib::Server>();

    // One request per connection keeps stop() quick, and idle connections are not waited for long.
    server->set_keep_alive_max_count (1);
    server->set_keep_alive_timeout (2);
    server->set_read_timeout (2);

    const auto handler = [this] (const httplib::Request& request, httplib::Response& response)
    {
        handle (request, response);
    };

    // The library would share the port with another listener (SO_REUSEPORT); a taken port must fail.
    server->set_socket_options ([] (int socket)
                                {
        const int yes = 1;
        setsockopt (socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof (yes)); });

    const std::string everything = R"([\s\S]*)";
    server->Get (everything, handler);
    server->Post (everything, handler);
    server->Put (everything, handler);
    server->Patch (everything, handler);
    server->Delete (everything, handler);
    server->Options (everything, handler);

    const int boundPort = requestedPort == 0 ? server->bind_to_any_port ("127.0.0.1")
                                             : (server->bind_to_port ("127.0.0.1", requestedPort) ? requestedPort : -1);

    if (boundPort <= 0)
        return 0;

    stopping = false;
    listenEnded = false;
    http = std::move (server);

    listenThread = std::thread ([this]
                                {
        // A client that hangs up mid-reply must end that write, not the process.
        sigset_t signals;
        sigemptyset (&signals);
        sigaddset (&signals, SIGPIPE);
        pthread_sigmask (SIG_BLOCK, &signals, nullptr);

        http->listen_after_bind();
        listenEnded = true; });

    // stop() only works once the accept loop runs.
    while (! http->is_running() && ! listenEnded)
        std::this_thread::sleep_for (std::chrono::milliseconds (1));

    if (listenEnded)
    {
        listenThread.join();
        http.reset();
        return 0;
    }

    port = boundPort;
    return port;
}

void StandInServer::stop()
{
    if (http == nullptr)
        return;

    {
        const std::lock_guard<std::mutex> guard (pauseLock);
        stopping = true;
    }

    pauseCondition.notify_all();
    http->stop();

    if (listenThread.joinable())
        listenThread.join();

    http.reset();
    port = 0;
}

bool StandInServer::isRunning() const
{
    return http != nullptr && ! listenEnded;
}

int StandInServer::getPort() const
{
    return port;
}

//==============================================================================
bool StandInServer::serveFolder (const std::string& folder)
{
    namespace fs = std::filesystem;
    const fs::path root (folder);

    if (! fs::is_directory (root))
        return false;

    std::string text;

    if (readWholeFile (root / "components.xml", text))
        setComponentsXml (text);

    if (readWholeFile (root / "version.xml", text))
        setVersionXml (text);

    if (readWholeFile (root / "accounts.txt", text))
        for (const auto& account : parseAccounts (text))
            addAccount (account);

    setRepositoryFolder ((root / "plugrepo").string());
    return true;
}

void StandInServer::setComponentsXml (const std::string& xml)
{
    const std::lock_guard<std::mutex> guard (lock);
    componentsXml = xml;
}

void StandInServer::setVersionXml (const std::string& xml)
{
    const std::lock_guard<std::mutex> guard (lock);
    versionXml = xml;
}

void StandInServer::setRepositoryFolder (const std::string& folder)
{
    const std::lock_guard<std::mutex> guard (lock);
    repositoryFolder = folder;
}

void StandInServer::addAccount (const Account& account)
{
    const std::lock_guard<std::mutex> guard (lock);
    accounts.push_back (account);
}

std::vector<StandInServer::Account> StandInServer::parseAccounts (const std::string& text)
{
    std::vector<Account> parsed;
    std::istringstream lines (text);
    std::string line;

    while (std::getline (lines, line))
    {
        if (! line.empty() && line.back() == '\r')
            line.pop_back();

        if (const auto content = trimmed (line); content.empty() || content[0] == '#')
            continue;

        const auto fields = splitAt (line, '\t');

        if (fields.size() != 5 || fields[0].empty())
            continue;

        parsed.push_back ({ fields[0], fields[1], fields[2], fields[3], fields[4] });
    }

    return parsed;
}

std::string StandInServer::makeVersionXml (const std::string& version, const std::string& minvers,
                                           const std::string& macpath)
{
    return envelope ("OK", "<authapp version=\"" + escapeXml (version) + "\" minvers=\"" + escapeXml (minvers)
                               + "\" macpath=\"" + escapeXml (macpath) + "\"/>");
}

//==============================================================================
void StandInServer::setReply (const std::string& target, const Reply& reply)
{
    const std::lock_guard<std::mutex> guard (lock);
    replies[target] = reply;
}

void StandInServer::setBehaviour (const std::string& target, const Behaviour& behaviour)
{
    const std::lock_guard<std::mutex> guard (lock);
    behaviours[target] = behaviour;
}

void StandInServer::clearScripts()
{
    const std::lock_guard<std::mutex> guard (lock);
    replies.clear();
    behaviours.clear();
}

std::vector<StandInServer::RecordedRequest> StandInServer::getRequests() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return requests;
}

void StandInServer::clearRequests()
{
    const std::lock_guard<std::mutex> guard (lock);
    requests.clear();
}

void StandInServer::setRequestListener (RequestListener newListener)
{
    const std::lock_guard<std::mutex> guard (lock);
    requestListener = std::move (newListener);
}

//==============================================================================
void StandInServer::handle (const httplib::Request& request, httplib::Response& response)
{
    RecordedRequest recorded;
    recorded.method = request.method;

    const auto queryStart = request.target.find ('?');
    recorded.path = request.target.substr (0, queryStart);
    recorded.rawQuery = queryStart == std::string::npos ? std::string() : request.target.substr (queryStart + 1);
    recorded.body = request.body;

    for (const auto& [name, value] : request.headers)
        recorded.headers.emplace_back (name, value);

    const auto decodedPath = percentDecode (recorded.path, false);
    auto params = parseParams (recorded.rawQuery);

    if (request.method == "POST")
        for (auto& param : parseParams (request.body))
            params.push_back (std::move (param));

    const auto action = decodedPath == requestPage ? valueOf (params, "ACTION") : std::string();

    Reply reply;
    Behaviour behaviour;
    bool scripted = false;
    RequestListener listener;

    {
        const std::lock_guard<std::mutex> guard (lock);
        requests.push_back (recorded);
        listener = requestListener;

        const std::vector<std::string> targets{ action, decodedPath, "*" };

        if (const auto* found = findScript (replies, targets))
        {
            reply = *found;
            scripted = true;
        }

        if (const auto* found = findScript (behaviours, targets))
            behaviour = *found;
    }

    if (! scripted)
    {
        if (request.method != "GET" && request.method != "HEAD" && request.method != "POST")
            reply = plainReply (405, "Method Not Allowed");
        else if (decodedPath == requestPage)
            reply = answerRequestPage (action, params);
        else if (decodedPath.rfind (repositoryPrefix, 0) == 0)
            reply = answerRepository (decodedPath);
        else
            reply = plainReply (404, "Not Found");
    }

    const bool answered = deliver (request, response, reply, behaviour);

    if (listener)
        listener (recorded, answered ? reply.status : 0);
}

StandInServer::Reply StandInServer::answerRequestPage (const std::string& action, const Params& params)
{
    if (action.empty())
        return { 200, "<html><head><title>Quorvelan</title></head><body></body></html>\n", "text/html; charset=utf-8" };

    if (action == "REQUEST_COMPONENTS")
    {
        const std::lock_guard<std::mutex> guard (lock);
        return xmlReply (componentsXml);
    }

    if (action == "GET_VERSION")
    {
        const std::lock_guard<std::mutex> guard (lock);
        return xmlReply (versionXml);
    }

    if (action == "REQUEST_LICENCE")
    {
        const auto email = toLowerAscii (valueOf (params, "email"));
        const auto password = valueOf (params, "password");
        const std::lock_guard<std::mutex> guard (lock);

        for (const auto& account : accounts)
        {
            if (toLowerAscii (account.email) == email && account.password == password)
                return xmlReply (envelope ("OK", "<user id=\"" + escapeXml (account.id) + "\"><name>" + escapeXml (account.name)
                                                     + "</name><company>" + escapeXml (account.company) + "</company></user>"));
        }

        return xmlReply (envelope ("ERROR", {}));
    }

    if (action == "REGISTER_VERIFY_ACCOUNT_DETAILS" || action == "REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS"
        || action == "ADD_USER_ACCOUNT")
        return answerRegistration (action, params);

    // The reply is not read; the reset itself is the real server's business.
    if (action == "RESET_PASSWORD")
        return xmlReply (envelope ("OK", {}));

    return xmlReply (envelope ("ERROR", errorElements ({ "UNKNOWN_ACTION" })));
}

StandInServer::Reply StandInServer::answerRegistration (const std::string& action, const Params& params)
{
    const auto email = valueOf (params, "email");
    const auto password = valueOf (params, "password");
    std::vector<std::string> errors;

    const std::lock_guard<std::mutex> guard (lock);

    if (! isPlausibleEmail (email))
        errors.push_back ("INVALID_EMAIL");

    if (valueOf (params, "emailconf") != email)
        errors.push_back ("EMAIL_MISMATCH");

    if (countCharacters (password) < 8 || password.find_first_of ("0123456789") == std::string::npos)
        errors.push_back ("PASSWORD_LESS_THAN_EIGHT_CHARS_ONE_NUMBER");

    if (valueOf (params, "passwordconf") != password)
        errors.push_back ("PASSWORD_MISMATCH");

    const bool registered = std::any_of (accounts.begin(), accounts.end(), [&] (const Account& account)
                                         { return toLowerAscii (account.email) == toLowerAscii (email); });

    if (registered)
        errors.push_back ("EMAIL_ALREADY_REGISTERED");

    if (action != "REGISTER_VERIFY_ACCOUNT_DETAILS")
    {
        const std::pair<const char*, const char*> requiredFields[] = {
            { "first_name", "INVALID_FIRST_NAME" },
            { "last_name", "INVALID_LAST_NAME" },
            { "address_1", "INVALID_ADDRESS_1" },
            { "postcode", "INVALID_POSTCODE" },
            { "country", "INVALID_COUNTRY" },
        };

        for (const auto& [field, error] : requiredFields)
            if (trimmed (valueOf (params, field)).empty())
                errors.push_back (error);
    }

    if (! errors.empty())
        return xmlReply (envelope ("ERROR", errorElements (errors)));

    if (action == "ADD_USER_ACCOUNT")
    {
        long highestId = 1000;

        for (const auto& account : accounts)
            highestId = std::max (highestId, std::strtol (account.id.c_str(), nullptr, 10));

        accounts.push_back ({ email, password, std::to_string (highestId + 1),
                              valueOf (params, "first_name") + " " + valueOf (params, "last_name"),
                              valueOf (params, "company") });
    }

    return xmlReply (envelope ("OK", {}));
}

StandInServer::Reply StandInServer::answerRepository (const std::string& decodedPath)
{
    namespace fs = std::filesystem;

    const auto relative = decodedPath.substr (repositoryPrefix.size());

    if (relative.find ('\0') != std::string::npos)
        return plainReply (403, "Forbidden");

    const auto segments = splitAt (relative, '/');

    if (std::find (segments.begin(), segments.end(), "..") != segments.end())
        return plainReply (403, "Forbidden");

    std::string folder;

    {
        const std::lock_guard<std::mutex> guard (lock);
        folder = repositoryFolder;
    }

    if (folder.empty())
        return plainReply (404, "Not Found");

    // Whatever the name says (an absolute part, a link), the file must lie inside the repository.
    std::error_code error;
    const auto root = fs::weakly_canonical (fs::path (folder), error);
    const auto file = fs::weakly_canonical (fs::path (folder) / fs::path (relative), error);

    if (error || std::mismatch (root.begin(), root.end(), file.begin(), file.end()).first != root.end())
        return plainReply (403, "Forbidden");

    std::string content;

    if (! fs::is_regular_file (file, error) || ! readWholeFile (file, content))
        return plainReply (404, "Not Found");

    const auto extension = toLowerAscii (file.extension().string());
    const std::string type = extension == ".zip"   ? "application/zip"
                             : extension == ".xml" ? "text/xml; charset=utf-8"
                                                   : "application/octet-stream";
    return { 200, content, type };
}

//==============================================================================
bool StandInServer::pauseUnlessStopping (int milliseconds)
{
    std::unique_lock<std::mutex> guard (pauseLock);
    pauseCondition.wait_for (guard, std::chrono::milliseconds (milliseconds), [this]
                             { return stopping.load(); });
    return ! stopping;
}

bool StandInServer::deliver (const httplib::Request& request, httplib::Response& response,
                             const Reply& reply, const Behaviour& behaviour)
{
    if (behaviour.delayMs > 0)
        pauseUnlessStopping (behaviour.delayMs);

    if (behaviour.delivery == Delivery::dropConnection || stopping)
    {
        shutDownConnection (request.local_port, request.remote_port);
        response.status = 500;
        return false;
    }

    response.status = reply.status;

    if (behaviour.delivery == Delivery::whole && (behaviour.trickleBytes == 0 || reply.body.empty()))
    {
        response.set_content (reply.body, reply.contentType);
        return true;
    }

    auto body = std::make_shared<const std::string> (reply.body);

    // Writes body bytes [from, to), in pieces when trickling; false when stopped or the client left.
    auto send = [this, body, behaviour] (std::size_t from, std::size_t to, httplib::DataSink& sink)
    {
        const auto pieceSize = behaviour.trickleBytes > 0 ? behaviour.trickleBytes : to - from;

        while (from < to)
        {
            if (behaviour.trickleBytes > 0 && behaviour.trickleIntervalMs > 0
                && ! pauseUnlessStopping (behaviour.trickleIntervalMs))
                return false;

            if (stopping)
                return false;

            const auto length = std::min (pieceSize, to - from);

            if (! sink.write (body->data() + from, length))
                return false;

            from += length;
        }

        return true;
    };

    auto sendAllThenEnd = [send, body] (std::size_t, httplib::DataSink& sink)
    {
        if (! send (0, body->size(), sink))
            return false;

        sink.done();
        return true;
    };

    switch (behaviour.delivery)
    {
        case Delivery::whole:
            response.set_content_provider (body->size(), reply.contentType,
                                           [send, body] (std::size_t offset, std::size_t, httplib::DataSink& sink)
                                           { return send (offset, body->size(), sink); });
            break;

        case Delivery::truncated:
        {
            const auto cut = std::min (behaviour.cutAfterBytes, body->empty() ? 0 : body->size() - 1);

            // Returning false after the short body makes the library close the connection.
            response.set_content_provider (body->size(), reply.contentType,
                                           [send, cut] (std::size_t, std::size_t, httplib::DataSink& sink)
                                           {
                                               send (0, cut, sink);
                                               return false;
                                           });
            break;
        }

        case Delivery::withoutLength:
            response.set_content_provider (reply.contentType, sendAllThenEnd);
            break;

        case Delivery::chunked:
            response.set_chunked_content_provider (reply.contentType, sendAllThenEnd);
            break;

        case Delivery::dropConnection:
            break;
    }

    return true;
}
