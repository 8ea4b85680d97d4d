#include "Service.h"

#include "Form.h"
#include "Page.h"
#include "Store.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

namespace {

const char* const kPath = "/quorvel/quorvel.asp";
const char* const kAccepted = "D:SMS message(s) accepted for processing.";
const char* const kConnected = "C:Connected to Quorvel server.";
const char* const kMalformed = "E:Malformed request.";
const char* const kTooLarge = "E:Request too large.";
const char* const kServerError = "E:Server error. Please try again later.";
const char* const kRefused = "E:Request refused.";
const char* const kTooLong = "E:User id, mobile number or e-mail address too long.";
const char* const kWaiting = "E:Registration received; it waits for the service's administrator.";
const char* const kTooManyNewIds =
    "E:Too many new user ids from this address. Please try again later.";

constexpr size_t kMaxUserId = 100, kMaxMobile = 32, kMaxEmail = 254;
// A submission's token: the client's random mark, kept this many days.
constexpr size_t kMaxToken = 64;
constexpr const char* kTokenCharacters =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-_";
constexpr int kTokenDays = 7;

HttpAnswer pageAnswer(const PageFields& fields, int status = 200) {
    return {status, renderPage(fields)};
}

HttpAnswer refuse(PageFields fields, const std::string& text, int status = 200) {
    fields.status = fields.status1 = text;
    return pageAnswer(fields, status);
}

// The page for what the server refuses before it has read the request.
HttpAnswer refusal(int status) {
    return refuse({},
                  status == 413 || status == 431 ? kTooLarge
                  : status >= 500                ? kServerError
                                                 : kMalformed,
                  status);
}

bool tooLong(const std::string& userId, const std::string& mobile, const std::string& email) {
    return userId.size() > kMaxUserId || mobile.size() > kMaxMobile || email.size() > kMaxEmail;
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
std::optional<std::map<std::string, std::string>> readForm(const HttpRequest& request) {
    const std::string type = request.header("Content-Type").value_or("");
    if (type.rfind("multipart/form-data", 0) == 0)
        return parseMultipart(request.body, type);
    if (type.rfind("application/x-www-form-urlencoded", 0) == 0)
        return parseUrlEncoded(request.body);
    return std::nullopt;
}

std::int64_t seconds(const Service::Now& now) {
    if (now)
        return now();
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

Service::Service(Store& store, ServiceOptions options, std::FILE* log, Now now)
    : m_store(store), m_options(std::move(options)), m_log(log), m_now(std::move(now)),
      m_http({[this](const HttpRequest& r) { return screen(r); },
              [this](const HttpRequest& r) { return answer(r); }, refusal,
              m_log ? [this](const HttpRequest& r, int status,
                             std::chrono::microseconds took) { logRequest(r, status, took); }
                    : std::function<void(const HttpRequest&, int, std::chrono::microseconds)>()},
             m_options.limits, m_options.trustedProxies,
             [injected = m_now] { return seconds(injected); }) {
    if (!m_now)
        m_now = [] { return std::time(nullptr); };
}

Service::~Service() {
    stop();
}

int Service::bind(const std::string& host, int port, std::string* error) {
    HttpServer::Tls tls;
    std::string reason;
    for (auto [file, pem] : {std::pair{&m_options.tlsCert, &tls.certificatePem},
                             std::pair{&m_options.tlsKey, &tls.keyPem}}) {
        if (file->empty())
            continue;
        std::ifstream in(*file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in || text.str().empty()) {
            if (error)
                *error = "cannot read " + *file;
            return -1;
        }
        *pem = text.str();
    }
    const int bound = m_http.start(host, port, tls, reason);
    if (bound < 0 && error)
        *error = reason;
    return bound;
}

void Service::run() {
    std::unique_lock lock(m_runMutex);
    m_stopped.wait(lock, [this] { return m_stopping; });
}

void Service::stop() {
    m_http.stop();
    std::lock_guard lock(m_runMutex);
    m_stopping = true;
    m_stopped.notify_all();
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
// where a request comes from, and only the service's own page may ask. A
// request for another host name is not ours to answer.
std::optional<HttpAnswer> Service::screen(const HttpRequest& request) const {
    const std::string host = request.header("Host").value_or("");
    if (!m_options.host.empty()) {
        // The name without its port; an IPv6 address keeps its brackets.
        const size_t colon = host.rfind(':');
        const std::string name =
            colon == std::string::npos || host.find(']', colon) != std::string::npos
                ? host
                : host.substr(0, colon);
        if (name.size() != m_options.host.size() ||
            !std::equal(name.begin(), name.end(), m_options.host.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return refuse({}, kRefused, 421);
    }
    if (request.path() != kPath || (request.method != "GET" && request.method != "POST"))
        return HttpAnswer{404, renderNotFound()};
    if (auto origin = request.header("Origin")) {
        const size_t scheme = origin->find("://");
        if (scheme == std::string::npos || origin->substr(scheme + 3) != host)
            return refuse({}, kRefused, 403);
    }
    return std::nullopt;
}

HttpAnswer Service::answer(const HttpRequest& request) {
    try {
        return request.method == "GET" ? signOn(request) : submit(request);
    } catch (const std::exception& e) {
        if (m_log)
            std::fprintf(m_log, "quorvel-service: %s\n", e.what());
        return refusal(500);
    }
}

HttpAnswer Service::signOn(const HttpRequest& request) {
    auto query = parseUrlEncoded(request.query());
    if (!query)
        return refuse({}, kMalformed, 400);
    auto un = optionalField(*query, "UN");
    if (!un)
        return pageAnswer({});
    if (un->empty())
        return refuse({}, "E:No user id given.");
    auto mobile = optionalField(*query, "M");
    auto email = optionalField(*query, "E");
    if (tooLong(*un, mobile.value_or(""), email.value_or("")))
        return refuse({}, kTooLong);
    if (!m_store.knows(*un) && !allowNewId(request.peer))
        return refuse({}, kTooManyNewIds);
    const Store::User user =
        m_store.signOn(*un, mobile, email, timeText("%Y-%m-%d %H:%M:%S"), m_options.openEnrolment);
    if (!user.enrolled)
        return refuse({*un, mobile.value_or(""), email.value_or(""), {}, {}}, kWaiting);
    int left = m_store.remaining(*un, timeText("%Y-%m-%d"), m_options.allowance);
    // Only what the request carried goes back: a user id alone must not
    // reveal the mobile number and e-mail address stored with it.
    return pageWithSent(
        {*un, mobile.value_or(""), email.value_or(""), kConnected, remainingText(left)});
}

HttpAnswer Service::pageWithSent(const PageFields& page) {
    if (m_options.lines.empty())
        return pageAnswer(page);
    std::vector<SentRow> sent;
    m_store.latest(page.userId, kSentShown, [&](const Store::Row& r) {
        std::string state = r.state;
        if (!r.reason.empty())
            state += ": " + r.reason;
        sent.push_back({r.received, r.number, r.text, state, r.done});
    });
    return {200, renderPage(page, &sent)};
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

HttpAnswer Service::submit(const HttpRequest& request) {
    auto form = readForm(request);
    if (!form)
        return refuse({}, kMalformed, 400);
    PageFields page{
        field(*form, "hUsername"), field(*form, "hMobile"), field(*form, "hMail"), {}, {}};
    // Echoed only as long as a sign-on takes them.
    if (tooLong(page.userId, page.mobile, page.email))
        return refuse({}, kTooLong);
    if (field(*form, "hMode") != "save")
        return refuse(page, "E:Unknown request.");
    const std::string t = field(*form, "T");
    if (t.empty())
        return refuse(page, "E:No messages to send.");
    if (std::count(t.begin(), t.end(), '#') >= m_options.maxPieces)
        return refuse(page, "E:Too many messages: at most " + std::to_string(m_options.maxPieces) +
                                " in one submission.");
    int bad = 0;
    auto messages = parsePieces(t, bad, size_t(m_options.maxDigits));
    if (!messages)
        return refuse(page, "E:Message " + std::to_string(bad) + " is not a number and a text.");
    for (size_t k = 0; k < messages->size(); ++k) {
        if (characterCount((*messages)[k].text) > size_t(m_options.maxCharacters))
            return refuse(page, "E:Message " + std::to_string(k + 1) + " is longer than " +
                                    std::to_string(m_options.maxCharacters) + " characters.");
        // A line's inbox holds one entry a line: a text with a line break
        // could forge an entry to any number.
        if (!m_options.lines.empty() &&
            !carriableBySms((*messages)[k].text, size_t(m_options.maxCharacters)))
            return refuse(page, "E:Message " + std::to_string(k + 1) + " cannot be sent by SMS.");
    }
    const std::string token = field(*form, "hToken");
    if (token.size() > kMaxToken || token.find_first_not_of(kTokenCharacters) != std::string::npos)
        return refuse(page, kMalformed, 400);
    std::string now = timeText("%Y-%m-%d %H:%M:%S");
    auto outcome =
        m_store.submit(page.userId, *messages, now.substr(0, 10), now, m_options.allowance, token,
                       timeText("%Y-%m-%d %H:%M:%S", kTokenDays * 24 * 3600));
    switch (outcome.kind) {
    case Store::Outcome::UnknownUser:
        return refuse(page, "E:Unknown user. Please connect to Quorvel server again.");
    case Store::Outcome::OverAllowance:
        return refuse(page, "E:Daily allowance exceeded: " + std::to_string(outcome.remaining) +
                                " message(s) remaining today.");
    case Store::Outcome::Accepted:
    case Store::Outcome::Repeated:
        break;
    }
    page.status = kAccepted;
    page.status1 = remainingText(outcome.remaining);
    return pageWithSent(page);
}

void Service::logRequest(const HttpRequest& request, int status, std::chrono::microseconds took) {
    const auto us = took.count();
    // The path only: the sign-on's query carries the user id, the user's secret.
    std::string line = timeText("%Y-%m-%d %H:%M:%S") + " " + request.peer + " " + request.method +
                       " " + request.path() + " " + std::to_string(status) + " " +
                       std::to_string(us / 1000) + "." + std::to_string(us % 1000 / 100) + " ms";
    // A request must not forge log lines.
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    line += '\n';
    std::fputs(line.c_str(), m_log);
}
