#include "LocalTime.h"
#include "Service.h"
#include "ServiceOptions.h"
#include "Store.h"
#include "gateway/Gateway.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <pthread.h>
#include <string>
#include <sys/resource.h>
#include <thread>

namespace {

// Why a forgotten node's queued messages are unknown: sent or not, only the
// line's own log can tell.
const char* const kUnknownReason = "check the line";

// One message a line, its fields split by tabs: tabs, line breaks and
// backslashes inside a field are written as \t, \n, \r and \\, any other
// control character as \xHH, so no stored text drives the terminal.
std::string listField(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

int list(const ServiceOptions& options) {
    const std::unique_ptr<Store> store = openStore(options.db, true);
    store->list(options.listUser, [&](const Store::Row& r) {
        std::string line = r.received + '\t' + listField(r.userId) + '\t' + listField(r.number) +
                           '\t' + listField(r.text);
        // What a gateway did with it: line, entry id, state, its time and reason.
        if (options.listState)
            line += '\t' + listField(r.line) + '\t' + (r.entryId ? std::to_string(r.entryId) : "") +
                    '\t' + r.state + '\t' + r.done + '\t' + listField(r.reason);
        line += '\n';
        std::fputs(line.c_str(), stdout);
    });
    return 0;
}

std::string today() {
    return localTimeText(std::time(nullptr)).substr(0, 10);
}

// Each --line as this node's serving gateway last recorded it: state,
// messages waiting, accepted today, last error.
int showLines(const ServiceOptions& options, Store& store) {
    std::map<std::string, Store::LineRecord> records;
    store.lines(options.node, [&](const Store::LineRecord& r) { records[r.name] = r; });
    std::map<std::string, Store::LineCounts> counts;
    for (const auto& [name, c] : store.lineCounts(options.node, today()))
        counts[name] = c;
    for (const std::string& line : options.lines) {
        const auto r = records.find(line);
        const Store::LineCounts c = counts[line];
        const std::string text =
            listField(line) + '\t' + (r == records.end() ? "unknown" : r->second.state) + '\t' +
            std::to_string(c.queued) + '\t' + std::to_string(c.acceptedSince) + '\t' +
            (r == records.end() ? "" : listField(r->second.lastError)) + '\n';
        std::fputs(text.c_str(), stdout);
    }
    return 0;
}

// Each node: name, last heartbeat, its lines, messages claimed, queued and
// accepted today.
int showNodes(Store& store) {
    store.nodes(today(), [](const Store::NodeRecord& n) {
        std::string lines = n.lines;
        while (!lines.empty() && lines.back() == '\n')
            lines.pop_back();
        std::replace(lines.begin(), lines.end(), '\n', ',');
        const std::string text = listField(n.name) + '\t' + localTimeText(n.heartbeat) + '\t' +
                                 listField(lines) + '\t' + std::to_string(n.claimed) + '\t' +
                                 std::to_string(n.queued) + '\t' + std::to_string(n.acceptedSince) +
                                 '\n';
        std::fputs(text.c_str(), stdout);
    });
    return 0;
}

// A node still beating is never forgotten: its lines would go on sending
// what the records no longer follow.
int forgetNode(const ServiceOptions& options, Store& store) {
    const std::time_t now = std::time(nullptr);
    std::optional<long long> heartbeat;
    store.nodes(today(), [&](const Store::NodeRecord& n) {
        if (n.name == options.forgetNode)
            heartbeat = n.heartbeat;
    });
    if (!heartbeat) {
        std::fprintf(stderr, "quorvel-service: no node %s\n",
                     listField(options.forgetNode).c_str());
        return 1;
    }
    if (now - *heartbeat < options.leaseSeconds) {
        std::fprintf(stderr,
                     "quorvel-service: node %s was alive %lld s ago; stop it first, or wait "
                     "--lease seconds\n",
                     listField(options.forgetNode).c_str(),
                     static_cast<long long>(now - *heartbeat));
        return 1;
    }
    const long long unknown =
        store.forgetNode(options.forgetNode, kUnknownReason, localTimeText(now));
    std::printf("node %s forgotten: %lld message(s) unknown \u2014 %s\n",
                listField(options.forgetNode).c_str(), unknown, kUnknownReason);
    return 0;
}

// The administrator's commands, on a database that may be serving meanwhile.
int administer(const ServiceOptions& options) {
    const std::unique_ptr<Store> opened = openStore(options.db);
    Store& store = *opened;
    if (options.showLines)
        return showLines(options, store);
    if (options.showNodes)
        return showNodes(store);
    if (!options.forgetNode.empty())
        return forgetNode(options, store);
    if (options.users) {
        store.accounts(today(), [](const Store::Account& a) {
            std::string line = listField(a.userId) + '\t' + (a.enrolled ? "enrolled" : "waiting") +
                               '\t' + listField(a.mobile) + '\t' + listField(a.email) + '\t' +
                               std::to_string(a.sentToday) + '\n';
            std::fputs(line.c_str(), stdout);
        });
        return 0;
    }
    const bool approving = !options.approve.empty();
    const std::string& id = approving ? options.approve : options.remove;
    if (approving ? store.approve(id) : store.remove(id))
        return 0;
    std::fprintf(stderr, "quorvel-service: no user %s\n", listField(id).c_str());
    return 1;
}

int serve(const ServiceOptions& options) {
    // Signals are taken by one thread that stops the server, never by a worker.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // Each connection is a descriptor: let it have as many as the system allows.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    if (!isPostgresUrl(options.db)) {
        auto folder = std::filesystem::path(options.db).parent_path();
        std::error_code ec;
        if (!folder.empty())
            std::filesystem::create_directories(folder, ec);
    }
    const std::unique_ptr<Store> opened = openStore(options.db);
    Store& store = *opened;
    std::unique_ptr<Gateway> gateway;
    if (!options.lines.empty()) {
        std::string problem;
        gateway = Gateway::open(store, options, stderr, problem);
        if (!gateway) {
            std::fprintf(stderr, "quorvel-service: %s\n", problem.c_str());
            return 1;
        }
    }
    Service service(store, options, stderr);
    std::string error;
    int port = service.bind(options.bind, options.port, &error);
    if (port < 0) {
        std::fprintf(stderr, "quorvel-service: cannot listen on %s port %d: %s\n",
                     options.bind.c_str(), options.port, error.c_str());
        return 1;
    }
    std::fprintf(stderr,
                 "quorvel-service: serving %s://%s:%d/quorvel/quorvel.asp, database %s, node %s\n",
                 options.tlsCert.empty() ? "http" : "https", options.bind.c_str(), port,
                 options.db.c_str(), listField(options.node).c_str());
    if (gateway)
        gateway->start();
    std::thread stopper([&] {
        int sig = 0;
        sigwait(&stopSignals, &sig);
        service.stop();
    });
    service.run();
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    if (gateway)
        gateway->stop();
    const Store::Commits commits = store.commits();
    std::fprintf(stderr, "quorvel-service: %lld submissions in %lld commits\n", commits.submissions,
                 commits.commits);
    std::fprintf(stderr, "quorvel-service: stopped\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    ServiceOptions options;
    std::string error;
    if (!ServiceOptions::parse({argv + 1, argv + argc}, options, error)) {
        std::fprintf(stderr, "quorvel-service: %s\nTry 'quorvel-service --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(ServiceOptions::usage().c_str(), stdout);
        return 0;
    }
    if (options.db.empty())
        options.db = ServiceOptions::defaultDb();
    if (options.node.empty())
        options.node = ServiceOptions::hostName();
    try {
        if (options.users || options.showLines || options.showNodes ||
            !options.forgetNode.empty() || !options.approve.empty() || !options.remove.empty())
            return administer(options);
        return options.list ? list(options) : serve(options);
    } catch (const Store::Error& e) {
        std::fprintf(stderr, "quorvel-service: %s\n", e.what());
        return 1;
    }
}
