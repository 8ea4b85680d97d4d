#include "Service.h"

#include "Form.h"
#include "Page.h"
#include "Store.h"

#include <httplib.h>

#include <chrono>

namespace {

const char* const kPath = "/quorvel/quorvel.asp";
const char* const kAccepted = "D:SMS message(s) accepted for processing.";
const char* const kConnected = "C:Connected to Quorvel server.";
const char* const kMalformed = "E:Malformed request.";
const char* const kTooLarge = "E:Request too large.";
const char* const kServerError = "E:Server error. Please try again later.";
const char* const kRefused = "E:Request refused.";
const char* const kWaiting = "E:Registration received; it waits for the service's administrator.";
const char* const kTooManyNewIds =
    "E:Too many new user ids from this address. Please try again later.";

// One worker per connection a busy server holds open (keep-alive included).
constexpr size_t kWorkers = 64;
constexpr size_t kMaxUserId = 100, kMaxMobile = 32, kMaxEmail = 254;
// A submission's token: the client's random mark, kept this many days.
constexpr size_t kMaxToken = 64;
constexpr const char* kTokenCharacters =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-_";
constexpr int kTokenDays = 7;

thread_local std::chrono::steady_clock::time_point t_started{};

void send(httplib::Response& res, const PageFields& fields, int status = 200) {
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(renderPage(fields), "text/html; charset=utf-8");
}

void refuse(httplib::Response& res, PageFields fields, const std::string& text, int status = 200) {
    fields.status = fields.status1 = text;
    send(res, fields, status);
}

std::string remainingText(int n) {
    return std::to_string(n) + " SMS message(s) remaining today.";
}

std::string field(const std::map<std::string, std::string>& fields, const char* name) {
    auto it = fields.find(name);
    return it == fields.end() ? std::string() : it->second;
}

std::optional<std::string> optionalField(const std::map<std::string, std::string>& fields,
                                         const char* name) {
    auto it = fields.find(name);
    return it == fields.end() ? std::nullopt : std::optional(it->second);
}

// The submitted form, whichever of the two encodings a browser or client used.
// The body is read here rather than by the server, which refuses a URL-encoded
// body over a few kilobytes.
std::optional<std::map<std::string, std::string>>
readForm(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& read) {
    std::map<std::string, std::string> fields;
    std::string body, *part = &body;
    bool complete;
    if (req.is_multipart_form_data()) {
        complete = read(
            [&](const httplib::MultipartFormData& header) {
                auto [it, fresh] = fields.try_emplace(header.name);
                part = fresh ? &it->second : &body; // the first of repeated fields counts
                return true;
            },
            [&](const char* data, size_t n) {
                part->append(data, n);
                return true;
            });
        for (const auto& [name, value] : fields)
            complete = complete && isCleanUtf8(value);
    } else {
        complete = read([&](const char* data, size_t n) {
            body.append(data, n);
            return true;
        });
    }
    if (!complete) {
        if (res.status != 413)
            res.status = 400;
        return std::nullopt;
    }
    if (req.is_multipart_form_data())
        return fields;
    if (req.get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0) == 0) {
        if (auto form = parseUrlEncoded(body))
            return form;
    }
    res.status = 400;
    return std::nullopt;
}

} // namespace

Service::Service(Store& store, int allowance, std::FILE* log, Now now, bool openEnrolment)
    : m_store(store), m_allowance(allowance), m_openEnrolment(openEnrolment), m_log(log),
      m_now(std::move(now)), m_server(std::make_unique<httplib::Server>()) {
    if (!m_now)
        m_now = [] { return std::time(nullptr); };
    auto& s = *m_server;
    s.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    s.set_payload_max_length(kMaxBody);
    // Headers and body go out in separate writes: without this each answer waits for a delayed ACK.
    s.set_tcp_nodelay(true);
    s.set_keep_alive_max_count(1000);
    s.set_keep_alive_timeout(2);
    s.set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
        t_started = std::chrono::steady_clock::now();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    s.Get(kPath, [this](const auto& req, auto& res) { signOn(req, res); });
    s.Post(kPath, [this](const httplib::Request& req, httplib::Response& res,
                         const httplib::ContentReader& read) { submit(req, res, read); });
    s.set_exception_handler([this](const auto&, auto& res, std::exception_ptr ep) {
        try {
            std::rethrow_exception(ep);
        } catch (const std::exception& e) {
            if (m_log)
                std::fprintf(m_log, "quorvel-service: %s\n", e.what());
        } catch (...) {
        }
        refuse(res, {}, kServerError, 500);
    });
    // Answers httplib makes itself (413, 400, 404) still carry a page.
    s.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
            if (!res.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            if (res.status == 404) {
                res.set_content(renderNotFound(), "text/html; charset=utf-8");
            } else {
                refuse(res, {},
                       res.status == 413   ? kTooLarge
                       : res.status >= 500 ? kServerError
                                           : kMalformed,
                       res.status);
            }
            return httplib::Server::HandlerResponse::Handled;
        }));
    if (m_log)
        s.set_logger([this](const auto& req, const auto& res) { logRequest(req, res); });
}

Service::~Service() = default;

int Service::bind(const std::string& host, int port) {
    if (port == 0)
        return m_server->bind_to_any_port(host);
    return m_server->bind_to_port(host, port) ? port : -1;
}

bool Service::run() {
    return m_server->listen_after_bind();
}

void Service::stop() {
    m_server->stop();
}

std::string Service::timeText(const char* format, std::time_t secondsBefore) const {
    std::time_t t = m_now() - secondsBefore;
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, format, &tm);
    return buf;
}

// A page of another site, in a browser on any machine that reaches the
// service, must not sign on or submit in the user's name: a browser says
// where a request comes from, and only the service's own page may ask.
bool Service::crossSite(const httplib::Request& req) {
    if (!req.has_header("Origin"))
        return false;
    const std::string origin = req.get_header_value("Origin");
    const size_t scheme = origin.find("://");
    return scheme == std::string::npos || origin.substr(scheme + 3) != req.get_header_value("Host");
}

void Service::signOn(const httplib::Request& req, httplib::Response& res) {
    if (crossSite(req))
        return refuse(res, {}, kRefused, 403);
    size_t q = req.target.find('?');
    auto query = parseUrlEncoded(q == std::string::npos ? "" : req.target.substr(q + 1));
    if (!query)
        return refuse(res, {}, kMalformed, 400);
    auto un = optionalField(*query, "UN");
    if (!un)
        return send(res, {});
    if (un->empty())
        return refuse(res, {}, "E:No user id given.");
    auto mobile = optionalField(*query, "M");
    auto email = optionalField(*query, "E");
    if (un->size() > kMaxUserId || (mobile && mobile->size() > kMaxMobile) ||
        (email && email->size() > kMaxEmail))
        return refuse(res, {}, "E:User id, mobile number or e-mail address too long.");
    if (!m_store.knows(*un) && !allowNewId(req.remote_addr))
        return refuse(res, {}, kTooManyNewIds);
    const Store::User user =
        m_store.signOn(*un, mobile, email, timeText("%Y-%m-%d %H:%M:%S"), m_openEnrolment);
    if (!user.enrolled)
        return refuse(res, {*un, mobile.value_or(""), email.value_or(""), {}, {}}, kWaiting);
    int left = m_store.remaining(*un, timeText("%Y-%m-%d"), m_allowance);
    // Only what the request carried goes back: a user id alone must not
    // reveal the mobile number and e-mail address stored with it.
    send(res, {*un, mobile.value_or(""), email.value_or(""), kConnected, remainingText(left)});
}

// Throw-away ids would each bring a new allowance: one address brings in
// only a few an hour.
bool Service::allowNewId(const std::string& address) {
    const std::time_t now = m_now();
    std::lock_guard lock(m_newIdsMutex);
    for (auto it = m_newIds.begin(); it != m_newIds.end();) {
        while (!it->second.empty() && it->second.front() <= now - 3600)
            it->second.pop_front();
        it = it->second.empty() ? m_newIds.erase(it) : std::next(it);
    }
    auto& times = m_newIds[address];
    if (times.size() >= kNewIdsPerHour)
        return false;
    times.push_back(now);
    return true;
}

void Service::submit(const httplib::Request& req, httplib::Response& res,
                     const httplib::ContentReader& read) {
    if (crossSite(req))
        return refuse(res, {}, kRefused, 403);
    auto form = readForm(req, res, read);
    if (!form)
        return refuse(res, {}, res.status == 413 ? kTooLarge : kMalformed, res.status);
    PageFields page{
        field(*form, "hUsername"), field(*form, "hMobile"), field(*form, "hMail"), {}, {}};
    if (field(*form, "hMode") != "save")
        return refuse(res, page, "E:Unknown request.");
    std::string t = field(*form, "T");
    if (t.empty())
        return refuse(res, page, "E:No messages to send.");
    int bad = 0;
    auto messages = parsePieces(t, bad);
    if (!messages)
        return refuse(res, page,
                      "E:Message " + std::to_string(bad) + " is not a number and a text.");
    const std::string token = field(*form, "hToken");
    if (token.size() > kMaxToken || token.find_first_not_of(kTokenCharacters) != std::string::npos)
        return refuse(res, page, kMalformed, 400);
    std::string now = timeText("%Y-%m-%d %H:%M:%S");
    auto outcome = m_store.submit(page.userId, *messages, now.substr(0, 10), now, m_allowance,
                                  token, timeText("%Y-%m-%d %H:%M:%S", kTokenDays * 24 * 3600));
    switch (outcome.kind) {
    case Store::Outcome::UnknownUser:
        return refuse(res, page, "E:Unknown user. Please connect to Quorvel server again.");
    case Store::Outcome::OverAllowance:
        return refuse(res, page,
                      "E:Daily allowance exceeded: " + std::to_string(outcome.remaining) +
                          " message(s) remaining today.");
    case Store::Outcome::Accepted:
    case Store::Outcome::Repeated:
        page.status = kAccepted;
        page.status1 = remainingText(outcome.remaining);
        return send(res, page);
    }
}

void Service::logRequest(const httplib::Request& req, const httplib::Response& res) {
    std::string took = "-";
    if (t_started != std::chrono::steady_clock::time_point{}) {
        auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now() - t_started)
                      .count();
        took = std::to_string(us / 1000) + "." + std::to_string(us % 1000 / 100) + " ms";
        t_started = {};
    }
    std::string line = timeText("%Y-%m-%d %H:%M:%S") + " " + req.remote_addr + " " + req.method +
                       " " + req.path + " " + std::to_string(res.status) + " " + took;
    // A request must not forge log lines.
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    line += '\n';
    std::fputs(line.c_str(), m_log);
}
