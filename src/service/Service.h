#pragma once

#include <cstdio>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
class ContentReader;
} // namespace httplib

class Store;
struct PageFields;

// The page /quorvel/quorvel.asp over HTTP: sign-on, submission and the
// refusals, each answered with the page holding form "f".
class Service {
public:
    using Now = std::function<std::time_t()>;
    static constexpr size_t kMaxBody = 16 * 1024 * 1024;

    // `log` gets one line per request; null for none. With `openEnrolment`
    // a new user id may submit at once; else it waits for the administrator.
    Service(Store& store, int allowance, std::FILE* log, Now now = nullptr,
            bool openEnrolment = false);
    // New user ids one address may bring in an hour.
    static constexpr int kNewIdsPerHour = 10;
    ~Service();

    // Returns the port bound (a free one for port 0), or -1.
    int bind(const std::string& host, int port);
    bool run(); // serves until stop()
    void stop();

private:
    static bool crossSite(const httplib::Request& req);
    void signOn(const httplib::Request& req, httplib::Response& res);
    void submit(const httplib::Request& req, httplib::Response& res,
                const httplib::ContentReader& read);
    void logRequest(const httplib::Request& req, const httplib::Response& res);
    std::string timeText(const char* format, std::time_t secondsBefore = 0) const;

    bool allowNewId(const std::string& address);

    Store& m_store;
    int m_allowance;
    bool m_openEnrolment;
    std::mutex m_newIdsMutex;
    std::map<std::string, std::deque<std::time_t>> m_newIds; // by address, the last hour's
    std::FILE* m_log;
    Now m_now;
    std::unique_ptr<httplib::Server> m_server;
};
