#pragma once

#include "HttpServer.h"
#include "ServiceOptions.h"

#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

class Store;
struct PageFields;

// The page /quorvel/quorvel.asp over HTTP or HTTPS: sign-on, submission and
// the refusals, each answered with the page holding form "f".
class Service {
public:
    using Now = std::function<std::time_t()>;
    // New user ids one address may bring in an hour.
    static constexpr int kNewIdsPerHour = 10;
    // Messages a gateway's page lists.
    static constexpr int kSentShown = 50;

    // `log` gets one line per request; null for none. `now` is the time of
    // day the dates come from and the clock of the requests' deadline.
    Service(Store& store, ServiceOptions options, std::FILE* log, Now now = nullptr);
    ~Service();

    // Listens and serves; returns the port bound (a free one for port 0), or
    // -1 with the reason in `error`.
    int bind(const std::string& host, int port, std::string* error = nullptr);
    void run(); // until stop()
    void stop();
    // Cuts the requests that have run past their time (each second by itself).
    void closeOverdue() { m_http.closeOverdue(); }
    HttpServer& http() { return m_http; }

private:
    std::optional<HttpAnswer> screen(const HttpRequest& request) const;
    HttpAnswer answer(const HttpRequest& request);
    HttpAnswer signOn(const HttpRequest& request);
    HttpAnswer submit(const HttpRequest& request);
    void logRequest(const HttpRequest& request, int status, std::chrono::microseconds took);
    std::string timeText(const char* format, std::time_t secondsBefore = 0) const;
    bool allowNewId(const std::string& address);
    // A gateway shows the signed-on user what became of their last messages.
    HttpAnswer pageWithSent(const PageFields& page);

    Store& m_store;
    ServiceOptions m_options;
    std::mutex m_newIdsMutex;
    std::map<std::string, std::deque<std::time_t>> m_newIds; // by address, the last hour's
    std::FILE* m_log;
    Now m_now;
    HttpServer m_http;
    std::mutex m_runMutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
};
