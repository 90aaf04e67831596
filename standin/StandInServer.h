#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib
{
class Server;
struct Request;
struct Response;
} // namespace httplib

// A local stand-in for the maker's server: answers the manager's requests on 127.0.0.1 from a
// catalogue, accounts and version reply it is given, serves repository files, records every
// request byte for byte, and can be scripted to answer badly so failure paths can be tested.
class StandInServer final
{
public:
    struct Account
    {
        std::string email, password, id, name, company;
    };

    struct Reply
    {
        int status = 200;
        std::string body;
        std::string contentType = "text/xml; charset=utf-8";
    };

    enum class Delivery
    {
        whole,         // Content-Length and the whole body
        truncated,     // Content-Length, then only cutAfterBytes of the body, then close
        withoutLength, // no Content-Length: the body, then close
        chunked,       // Transfer-Encoding: chunked
        dropConnection // close the connection without sending a byte
    };

    struct Behaviour
    {
        Delivery delivery = Delivery::whole;
        std::size_t cutAfterBytes = 0; // truncated: body bytes sent (always fewer than the body)
        int delayMs = 0;               // pause before anything is sent
        std::size_t trickleBytes = 0;  // when not 0, the body goes out in pieces of this size...
        int trickleIntervalMs = 0;     // ...each after this pause
    };

    struct RecordedRequest
    {
        std::string method;
        std::string path;     // as on the wire, still escaped
        std::string rawQuery; // as on the wire, without the "?"
        std::string body;
        std::vector<std::pair<std::string, std::string>> headers;

        // The first header of that name (any case), or the empty string.
        std::string getHeader (const std::string& name) const;
    };

    StandInServer();
    ~StandInServer();

    // Listens on 127.0.0.1 (port 0 picks a free one) and answers on a thread of its own.
    // Returns the port, or 0 when it cannot listen there.
    int start (int port = 0);

    // Stops listening, cuts short any delayed reply and joins every thread.
    void stop();

    bool isRunning() const;
    int getPort() const;

    //==============================================================================
    // Takes components.xml, accounts.txt and version.xml from the folder (each optional) and
    // serves its plugrepo/ below "/plugrepo/". False when the folder does not exist.
    bool serveFolder (const std::string& folder);

    void setComponentsXml (const std::string& xml);
    void setVersionXml (const std::string& xml);
    void setRepositoryFolder (const std::string& folder);
    void addAccount (const Account& account);

    // Lines of e-mail, password, id, name and company separated by tabs; "#" starts a comment.
    static std::vector<Account> parseAccounts (const std::string& text);

    static std::string makeVersionXml (const std::string& version, const std::string& minvers,
                                       const std::string& macpath);

    //==============================================================================
    // A target is an action name ("GET_VERSION"), a decoded path ("/plugrepo/components/MAC/A B.zip")
    // or "*" for every request; the action's script wins over the path's, and both over "*".
    void setReply (const std::string& target, const Reply& reply);
    void setBehaviour (const std::string& target, const Behaviour& behaviour);
    void clearScripts();

    std::vector<RecordedRequest> getRequests() const;
    void clearRequests();

    // Called on the server's threads once each request is answered, with the status sent
    // (0 when the connection was dropped).
    using RequestListener = std::function<void (const RecordedRequest&, int status)>;
    void setRequestListener (RequestListener listener);

private:
    using Params = std::vector<std::pair<std::string, std::string>>;

    void handle (const httplib::Request& request, httplib::Response& response);
    Reply answerRequestPage (const std::string& action, const Params& params);
    Reply answerRepository (const std::string& decodedPath);
    Reply answerRegistration (const std::string& action, const Params& params);
    // False when the connection was dropped instead.
    bool deliver (const httplib::Request& request, httplib::Response& response,
                  const Reply& reply, const Behaviour& behaviour);
    bool pauseUnlessStopping (int milliseconds);

    mutable std::mutex lock;
    std::string componentsXml, versionXml, repositoryFolder;
    std::vector<Account> accounts;
    std::map<std::string, Reply> replies;
    std::map<std::string, Behaviour> behaviours;
    std::vector<RecordedRequest> requests;
    RequestListener requestListener;

    std::mutex pauseLock;
    std::condition_variable pauseCondition;
    std::atomic<bool> stopping{ false };

    std::unique_ptr<httplib::Server> http;
    std::thread listenThread;
    std::atomic<bool> listenEnded{ false };
    std::atomic<int> port{ 0 };

    StandInServer (const StandInServer&) = delete;
    StandInServer& operator= (const StandInServer&) = delete;
};
