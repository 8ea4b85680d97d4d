#include "HttpServer.h"
#include "Listening.h"
#include "WorkerPool.h"

#include <microhttpd.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::int64_t steadySeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

std::string HttpRequest::query() const {
    const size_t q = target.find('?');
    return q == std::string::npos ? std::string() : target.substr(q + 1);
}

std::optional<std::string> HttpRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (sameName(key, name))
            return value;
    return std::nullopt;
}

// A connection as the deadline sees it.
struct HttpServer::Connection {
    int fd = -1;
    std::string address;
    bool limited = false;   // counted against its address
    std::int64_t since = 0; // when the request under way began
    bool reading = false;   // a request line is in, the rest of the request not yet
    bool answering = false; // with a worker: the server's time, not the client's
    bool cut = false;
};

struct HttpServer::Exchange {
    Connection* connection = nullptr;
    HttpRequest request;
    bool headersRead = false;
    bool suspended = false;
    bool replied = false;   // a refusal went before the body: the rest is not ours to read
    long long reserved = 0; // of the server's room for bodies
    std::optional<HttpAnswer> answer;
    std::chrono::steady_clock::time_point began = std::chrono::steady_clock::now();
};

struct HttpCallbacks {
    static MHD_Result accept(void* self, const sockaddr* address, socklen_t) {
        auto& s = *static_cast<HttpServer*>(self);
        const std::string peer = addressText(address);
        std::lock_guard lock(s.m_mutex);
        // Stopping: no new connection (the library's own way to stop
        // listening races its polling thread and aborts the process).
        if (s.m_stopping)
            return MHD_NO;
        if (std::find(s.m_trustedProxies.begin(), s.m_trustedProxies.end(), peer) !=
            s.m_trustedProxies.end())
            return MHD_YES;
        auto it = s.m_perAddress.find(peer);
        return it == s.m_perAddress.end() || it->second < s.m_limits.perAddress ? MHD_YES : MHD_NO;
    }

    static void connection(void* self, MHD_Connection* c, void** context,
                           MHD_ConnectionNotificationCode event) {
        auto& s = *static_cast<HttpServer*>(self);
        if (event == MHD_CONNECTION_NOTIFY_STARTED) {
            auto* conn = new HttpServer::Connection;
            const MHD_ConnectionInfo* fd =
                MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
            const MHD_ConnectionInfo* peer =
                MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
            conn->fd = fd ? fd->connect_fd : -1;
            conn->address = peer ? addressText(peer->client_addr) : std::string();
            conn->since = s.m_clock();
            conn->limited = std::find(s.m_trustedProxies.begin(), s.m_trustedProxies.end(),
                                      conn->address) == s.m_trustedProxies.end();
            std::lock_guard lock(s.m_mutex);
            s.m_connections.insert(conn);
            // Two threads may accept from one address at once: the one over the limit goes.
            if (conn->limited && ++s.m_perAddress[conn->address] > s.m_limits.perAddress) {
                conn->cut = true;
                shutdown(conn->fd, SHUT_RDWR);
            }
            *context = conn;
        } else if (event == MHD_CONNECTION_NOTIFY_CLOSED) {
            auto* conn = static_cast<HttpServer::Connection*>(*context);
            if (!conn)
                return;
            std::lock_guard lock(s.m_mutex);
            s.m_connections.erase(conn);
            if (conn->limited) {
                auto it = s.m_perAddress.find(conn->address);
                if (it != s.m_perAddress.end() && --it->second == 0)
                    s.m_perAddress.erase(it);
            }
            delete conn;
            *context = nullptr;
        }
    }

    // The request line is in: the request's time starts now.
    static void* requestLine(void* self, const char* target, MHD_Connection* c) {
        auto& s = *static_cast<HttpServer*>(self);
        auto* exchange = new HttpServer::Exchange;
        exchange->request.target = target;
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        exchange->connection =
            info ? static_cast<HttpServer::Connection*>(info->socket_context) : nullptr;
        if (exchange->connection) {
            std::lock_guard lock(s.m_mutex);
            exchange->connection->since = s.m_clock();
            exchange->connection->reading = true;
        }
        return exchange;
    }

    static MHD_Result request(void* self, MHD_Connection* c, const char*, const char* method,
                              const char*, const char* data, size_t* size, void** context) {
        auto& s = *static_cast<HttpServer*>(self);
        if (!*context)
            *context = requestLine(self, "", c);
        auto& exchange = *static_cast<HttpServer::Exchange*>(*context);
        if (!exchange.headersRead) {
            exchange.headersRead = true;
            exchange.request.method = method;
            return readHeaders(s, c, exchange);
        }
        if (exchange.replied) {
            *size = 0;
            return MHD_YES;
        }
        if (*size) {
            // Past its declared length only a chunked body can grow; it is cut off.
            const auto grown = static_cast<long long>(exchange.request.body.size() + *size);
            if (grown > s.m_limits.bodyBytes ||
                (grown > exchange.reserved && !reserve(s, exchange, grown)))
                return MHD_NO;
            exchange.request.body.append(data, *size);
            *size = 0;
            return MHD_YES;
        }
        if (exchange.answer) {
            if (exchange.suspended) {
                exchange.suspended = false;
                std::lock_guard lock(s.m_mutex);
                --s.m_suspended;
                s.m_changed.notify_all();
            }
            return reply(s, c, exchange, *exchange.answer);
        }
        return hand(s, c, exchange);
    }

    static MHD_Result readHeaders(HttpServer& s, MHD_Connection* c,
                                  HttpServer::Exchange& exchange) {
        auto& request = exchange.request;
        MHD_get_connection_values(
            c, MHD_HEADER_KIND,
            [](void* headers, MHD_ValueKind, const char* name, const char* value) {
                static_cast<decltype(request.headers)*>(headers)->emplace_back(name,
                                                                               value ? value : "");
                return MHD_YES;
            },
            &request.headers);
        request.peer =
            exchange.connection ? s.clientAddress(*exchange.connection, request) : std::string();
        size_t bytes = request.method.size() + request.target.size();
        for (const auto& [name, value] : request.headers)
            bytes += name.size() + value.size() + 4;
        if (bytes > size_t(s.m_limits.headerBytes))
            return reply(s, c, exchange, s.m_handlers.refusal(431));
        if (auto length = request.header("Content-Length")) {
            errno = 0;
            char* end = nullptr;
            const unsigned long long n = std::strtoull(length->c_str(), &end, 10);
            if (errno == ERANGE || n > static_cast<unsigned long long>(s.m_limits.bodyBytes))
                return reply(s, c, exchange, s.m_handlers.refusal(413));
            // Many large bodies at once would take the memory: later ones wait for room.
            if (!reserve(s, exchange, static_cast<long long>(n)))
                return reply(s, c, exchange, s.m_handlers.refusal(503));
        }
        if (auto refused = s.m_handlers.screen(request))
            return reply(s, c, exchange, *refused);
        return MHD_YES;
    }

    static bool reserve(HttpServer& s, HttpServer::Exchange& exchange, long long bytes) {
        std::lock_guard lock(s.m_mutex);
        if (s.m_bodyBytes - exchange.reserved + bytes > s.m_limits.bufferedBytes)
            return false;
        s.m_bodyBytes += bytes - exchange.reserved;
        exchange.reserved = bytes;
        return true;
    }

    // A worker answers; the connection waits, read by no one, until it has.
    static MHD_Result hand(HttpServer& s, MHD_Connection* c, HttpServer::Exchange& exchange) {
        {
            std::lock_guard lock(s.m_mutex);
            if (!s.m_stopping) {
                if (exchange.connection) {
                    exchange.connection->answering = true;
                    exchange.connection->reading = false;
                }
                exchange.suspended = true;
                ++s.m_suspended;
                MHD_suspend_connection(c);
                s.m_workers->post([&s, c, &exchange] {
                    try {
                        exchange.answer = s.m_handlers.answer(exchange.request);
                    } catch (...) {
                        exchange.answer = s.m_handlers.refusal(500);
                    }
                    MHD_resume_connection(c);
                });
                return MHD_YES;
            }
        }
        return reply(s, c, exchange, s.m_handlers.refusal(503));
    }

    static MHD_Result reply(HttpServer& s, MHD_Connection* c, HttpServer::Exchange& exchange,
                            const HttpAnswer& answer) {
        MHD_Response* response = MHD_create_response_from_buffer(
            answer.body.size(), const_cast<char*>(answer.body.data()), MHD_RESPMEM_MUST_COPY);
        if (!response)
            return MHD_NO;
        MHD_add_response_header(response, "Content-Type", answer.contentType.c_str());
        MHD_add_response_header(response, "Cache-Control", "no-store");
        const MHD_Result queued = MHD_queue_response(c, unsigned(answer.status), response);
        MHD_destroy_response(response);
        exchange.replied = true;
        if (queued == MHD_YES && s.m_handlers.log)
            s.m_handlers.log(exchange.request, answer.status,
                             std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::steady_clock::now() - exchange.began));
        return queued;
    }

    // The request is over: the time until the next one is the client's again.
    static void completed(void* self, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
        auto& s = *static_cast<HttpServer*>(self);
        auto* exchange = static_cast<HttpServer::Exchange*>(*context);
        if (!exchange)
            return;
        {
            std::lock_guard lock(s.m_mutex);
            if (exchange->connection) {
                exchange->connection->answering = exchange->connection->reading = false;
                exchange->connection->since = s.m_clock();
            }
            s.m_bodyBytes -= exchange->reserved;
            if (exchange->suspended) { // closed without its answer
                --s.m_suspended;
                s.m_changed.notify_all();
            }
        }
        delete exchange;
        *context = nullptr;
    }
};

HttpServer::HttpServer(Handlers handlers, HttpLimits limits,
                       std::vector<std::string> trustedProxies, Clock clock)
    : m_handlers(std::move(handlers)), m_limits(limits),
      m_trustedProxies(std::move(trustedProxies)),
      m_clock(clock ? std::move(clock) : steadySeconds) {}

HttpServer::~HttpServer() {
    stop();
}

int HttpServer::start(const std::string& host, int port, const Tls& tls, std::string& error) {
    m_listenFd = listenOn(host, port, m_limits.backlog, error);
    if (m_listenFd < 0)
        return -1;
    const int bound = boundPort(m_listenFd);
    m_workers = std::make_unique<WorkerPool>(kWorkers);
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<MHD_OptionItem> options = {
        {MHD_OPTION_LISTEN_SOCKET, m_listenFd, nullptr},
        {MHD_OPTION_THREAD_POOL_SIZE, threads, nullptr},
        {MHD_OPTION_CONNECTION_LIMIT, m_limits.connections, nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, m_limits.idleSeconds, nullptr},
        // Headers are kept in this; past it the library refuses them itself.
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT,
         static_cast<intptr_t>(std::max(32 * 1024, 2 * m_limits.headerBytes + 16 * 1024)), nullptr},
        {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&HttpCallbacks::connection),
         this},
        {MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&HttpCallbacks::requestLine),
         this},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&HttpCallbacks::completed), this},
    };
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME;
    if (!tls.certificatePem.empty()) {
        flags |= MHD_USE_TLS;
        options.push_back(
            {MHD_OPTION_HTTPS_MEM_CERT, 0, const_cast<char*>(tls.certificatePem.c_str())});
        options.push_back({MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char*>(tls.keyPem.c_str())});
    }
    options.push_back({MHD_OPTION_END, 0, nullptr});
    m_daemon = MHD_start_daemon(flags, 0, &HttpCallbacks::accept, this, &HttpCallbacks::request,
                                this, MHD_OPTION_ARRAY, options.data(), MHD_OPTION_END);
    if (!m_daemon) {
        error = tls.certificatePem.empty() ? "cannot start serving"
                                           : "cannot start serving: is the certificate or key "
                                             "unreadable, or do they not belong together?";
        m_workers.reset();
        close(m_listenFd);
        m_listenFd = -1;
        return -1;
    }
    m_ticker = std::thread([this] { tick(); });
    return bound;
}

void HttpServer::tick() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        m_changed.wait_for(lock, std::chrono::seconds(1));
        lock.unlock();
        closeOverdue();
        lock.lock();
    }
}

void HttpServer::closeOverdue() {
    std::lock_guard lock(m_mutex);
    const std::int64_t now = m_clock();
    for (Connection* c : m_connections) {
        if (!c->answering && !c->cut && now - c->since >= m_limits.requestSeconds) {
            // The library sees the end of the stream and closes the connection itself.
            c->cut = true;
            shutdown(c->fd, SHUT_RDWR);
        }
    }
}

int HttpServer::connectionsFrom(const std::string& address) {
    std::lock_guard lock(m_mutex);
    return int(std::count_if(m_connections.begin(), m_connections.end(),
                             [&](const Connection* c) { return c->address == address; }));
}

long long HttpServer::bodyBytesHeld() {
    std::lock_guard lock(m_mutex);
    return m_bodyBytes;
}

int HttpServer::requestsBeingRead() {
    std::lock_guard lock(m_mutex);
    return int(std::count_if(m_connections.begin(), m_connections.end(),
                             [](const Connection* c) { return c->reading; }));
}

std::string HttpServer::clientAddress(const Connection& connection,
                                      const HttpRequest& request) const {
    if (connection.limited)
        return connection.address;
    const std::string forwarded = request.header("X-Forwarded-For").value_or("");
    std::string last = forwarded.substr(forwarded.rfind(',') + 1);
    last.erase(0, last.find_first_not_of(" \t"));
    last.erase(last.find_last_not_of(" \t") + 1);
    return isAddress(last) ? last : connection.address;
}

void HttpServer::stop() {
    if (!m_daemon)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_ticker.join();
    m_workers->finish();
    {
        // The library must not stop with a connection paused.
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_suspended == 0; });
    }
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    m_workers.reset();
    close(m_listenFd);
    m_listenFd = -1;
}
