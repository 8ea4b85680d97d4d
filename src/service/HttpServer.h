#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;
class WorkerPool;

struct HttpRequest {
    std::string method;
    std::string target; // as sent: path and query
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string peer; // the client's address

    std::string path() const { return target.substr(0, target.find('?')); }
    std::string query() const;
    // The first header of that name (any case); nullopt when there is none.
    std::optional<std::string> header(std::string_view name) const;
};

struct HttpAnswer {
    int status = 200;
    std::string body;
    std::string contentType = "text/html; charset=utf-8";
};

// What one client may cost the server; each is an option of the service.
struct HttpLimits {
    int requestSeconds = 30; // from the request line to the whole body
    int idleSeconds = 10;    // between two bytes, and between kept-alive requests
    int headerBytes = 8 * 1024;
    int bodyBytes = 16 * 1024 * 1024;
    long long bufferedBytes = 256LL * 1024 * 1024; // bodies held at once, all requests together
    int connections = 1000;
    int perAddress = 64; // not for a trusted proxy
    int backlog = 128;
};

// An event-driven HTTP/1.1 server (and HTTPS with a certificate): a few
// threads read every connection, so a slow client holds only its own
// memory; a request read whole is answered on a pool of workers that may
// block (the database's commit) while others are read and answered.
class HttpServer {
public:
    struct Handlers {
        // Before the body is read, on the reading thread (must not block):
        // an answer refuses the request at once.
        std::function<std::optional<HttpAnswer>(const HttpRequest&)> screen;
        // The request read whole, on a worker; may block.
        std::function<HttpAnswer(const HttpRequest&)> answer;
        // The page for a request refused by the server itself: 413, 431,
        // 500, or 503 while it stops.
        std::function<HttpAnswer(int status)> refusal;
        // After each answer; null for none.
        std::function<void(const HttpRequest&, int status, std::chrono::microseconds took)> log;
    };
    struct Tls {
        std::string certificatePem, keyPem; // both empty: plain HTTP
    };
    // Seconds on a clock that only moves forwards.
    using Clock = std::function<std::int64_t()>;
    static constexpr int kWorkers = 64;

    // From a peer in `trustedProxies` the client's address is the last
    // X-Forwarded-For entry, and no per-address limit applies to the peer.
    HttpServer(Handlers handlers, HttpLimits limits, std::vector<std::string> trustedProxies,
               Clock clock = nullptr);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens and serves; the port bound (a free one for 0), or -1 with
    // the reason in `error`.
    int start(const std::string& host, int port, const Tls& tls, std::string& error);
    // Takes no more connections, answers the requests handed to workers,
    // then closes every connection.
    void stop();
    // Cuts every connection whose request has run past its time. Runs each
    // second; tests call it after moving their clock.
    void closeOverdue();
    // What the server holds: connections open from an address (before any
    // X-Forwarded-For), and requests whose request line is in but not yet all the rest.
    int connectionsFrom(const std::string& address);
    int requestsBeingRead();
    long long bodyBytesHeld();

private:
    struct Connection;
    struct Exchange;

    friend struct HttpCallbacks; // the library's C callbacks
    std::string clientAddress(const Connection& connection, const HttpRequest& request) const;
    void tick();

    Handlers m_handlers;
    HttpLimits m_limits;
    std::vector<std::string> m_trustedProxies;
    Clock m_clock;
    MHD_Daemon* m_daemon = nullptr;
    int m_listenFd = -1;
    std::unique_ptr<WorkerPool> m_workers;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<Connection*> m_connections;
    std::map<std::string, int> m_perAddress;
    int m_suspended = 0;       // requests with a worker, their connections paused
    long long m_bodyBytes = 0; // set aside for the bodies of the requests under way
    bool m_stopping = false;
    std::thread m_ticker;
};
