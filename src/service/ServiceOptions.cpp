#include "ServiceOptions.h"

#include <cstdlib>
#include <optional>
#include <unistd.h>
#include <utility>

namespace {

bool number(const std::string& text, int min, int max, int& out) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    int n = std::stoi(text);
    if (n < min || n > max)
        return false;
    out = n;
    return true;
}

struct NumberOption {
    int* value;
    int min, max;
};

std::optional<NumberOption> numberOption(ServiceOptions& o, const std::string& name) {
    auto& l = o.limits;
    const std::pair<const char*, NumberOption> options[] = {
        {"--port", {&o.port, 0, 65535}},
        {"--allowance", {&o.allowance, 0, 1000000000}},
        {"--request-seconds", {&l.requestSeconds, 1, 3600}},
        {"--idle-seconds", {&l.idleSeconds, 1, 3600}},
        {"--max-header-bytes", {&l.headerBytes, 1024, 1024 * 1024}},
        {"--max-body-bytes", {&l.bodyBytes, 1024, 1024 * 1024 * 1024}},
        {"--max-buffered-mb", {&o.bufferedMegabytes, 1, 1024 * 1024}},
        {"--max-connections", {&l.connections, 1, 100000}},
        {"--max-per-address", {&l.perAddress, 1, 100000}},
        {"--backlog", {&l.backlog, 128, 65535}},
        {"--max-pieces", {&o.maxPieces, 1, 1000000}},
        {"--max-digits", {&o.maxDigits, 1, 20}},
        {"--max-characters", {&o.maxCharacters, 1, 160}},
        {"--line-failures", {&o.lineFailures, 1, 100}},
        {"--line-rest", {&o.lineRestSeconds, 1, 86400}},
        {"--lease", {&o.leaseSeconds, 5, 86400}},
    };
    for (const auto& [option, number] : options)
        if (name == option)
            return number;
    return std::nullopt;
}

} // namespace

bool ServiceOptions::parse(const std::vector<std::string>& args, ServiceOptions& o,
                           std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        bool inlineValue = false;
        if (size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            inlineValue = true;
        }
        auto takeValue = [&]() {
            if (inlineValue)
                return true;
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--list") {
            o.list = true;
            if (inlineValue)
                o.listUser = value;
            else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0)
                o.listUser = args[++i];
        } else if (name == "--open-enrolment") {
            o.openEnrolment = true;
        } else if (name == "--users") {
            o.users = true;
        } else if (name == "--state") {
            o.listState = true;
        } else if (name == "--lines") {
            o.showLines = true;
        } else if (name == "--nodes") {
            o.showNodes = true;
        } else if (name == "--bind" || name == "--db" || name == "--approve" ||
                   name == "--remove" || name == "--tls-cert" || name == "--tls-key" ||
                   name == "--host" || name == "--trusted-proxy" || name == "--line" ||
                   name == "--node" || name == "--forget-node") {
            if (!takeValue())
                return false;
            if (value.empty()) {
                error = name + " needs a value";
                return false;
            }
            if (name == "--trusted-proxy" || name == "--line")
                (name == "--line" ? o.lines : o.trustedProxies).push_back(value);
            else
                (name == "--bind"          ? o.bind
                 : name == "--db"          ? o.db
                 : name == "--approve"     ? o.approve
                 : name == "--remove"      ? o.remove
                 : name == "--tls-cert"    ? o.tlsCert
                 : name == "--tls-key"     ? o.tlsKey
                 : name == "--node"        ? o.node
                 : name == "--forget-node" ? o.forgetNode
                                           : o.host) = value;
        } else if (const auto n = numberOption(o, name)) {
            if (!takeValue())
                return false;
            if (!number(value, n->min, n->max, *n->value)) {
                error = name + " wants a number from " + std::to_string(n->min) + " to " +
                        std::to_string(n->max) + ", not '" + value + "'";
                return false;
            }
        } else {
            error = "unknown argument '" + name + "'";
            return false;
        }
    }
    if (o.node.size() > 64 || o.node.find_first_of("\t\n\r") != std::string::npos) {
        error = "--node wants a name of at most 64 characters";
        return false;
    }
    if (o.listState && !o.list) {
        error = "--state goes with --list";
        return false;
    }
    o.limits.bufferedBytes = o.bufferedMegabytes * 1024LL * 1024;
    if (o.tlsCert.empty() != o.tlsKey.empty()) {
        error = "--tls-cert and --tls-key go together";
        return false;
    }
    return true;
}

std::string ServiceOptions::hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !*name)
        return "localhost";
    return name;
}

std::string ServiceOptions::defaultDb() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && *data) {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.local/share";
    }
    return base + "/quorvel-service/messages.sqlite";
}

std::string ServiceOptions::usage() {
    return "Usage: quorvel-service [--bind ADDRESS] [--port N] [--db FILE] [--allowance N]\n"
           "                       [--tls-cert FILE --tls-key FILE] [--host NAME]\n"
           "                       [--trusted-proxy ADDRESS]... [--line DIR]... [limits]\n"
           "       quorvel-service --list [USER] [--state] [--db FILE]\n"
           "       quorvel-service --lines --line DIR... [--db FILE]\n"
           "       quorvel-service --users | --approve ID | --remove ID [--db FILE]\n"
           "       quorvel-service --nodes | --forget-node NAME [--db URL]\n"
           "Serves Quorvel's page /quorvel/quorvel.asp over HTTP or HTTPS and keeps the\n"
           "messages it accepts in an SQLite file, or in PostgreSQL for several nodes.\n"
           "  --bind ADDRESS   address to listen on (default 127.0.0.1)\n"
           "  --port N         TCP port, 0 for a free one (default 8480)\n"
           "  --db FILE        the database (default "
           "$XDG_DATA_HOME/quorvel-service/messages.sqlite),\n"
           "                   or postgresql://[user@]host[:port]/database (no password:\n"
           "                   ~/.pgpass or PGPASSWORD)\n"
           "  --allowance N    messages per user and day (default 100)\n"
           "  --open-enrolment a new user id may submit at once (else it waits for --approve)\n"
           "  --tls-cert FILE  serve HTTPS with this certificate (PEM; chain after it)\n"
           "  --tls-key FILE   and this private key (PEM)\n"
           "  --host NAME      answer only requests for this host name (others get 421)\n"
           "  --trusted-proxy ADDRESS  a reverse proxy whose X-Forwarded-For names the client\n"
           "Gateway (defaults in brackets):\n"
           "  --line DIR            an installation whose Brindle sends over its modem; the\n"
           "                        service hands it the stored messages (repeat for more lines)\n"
           "  --line-failures N     failed runs of a message on a line before it moves [3]\n"
           "  --line-rest S         seconds a failing line is out of rotation [300]\n"
           "  --node NAME           this service among several on one database [host name]\n"
           "  --lease S             a claimed message not handed to a line by then goes to\n"
           "                        another node [60]\n"
           "Limits (defaults in brackets):\n"
           "  --request-seconds N   a whole request, request line to body [30]\n"
           "  --idle-seconds N      silence on a connection [10]\n"
           "  --max-header-bytes N  request line and headers, else 431 [8192]\n"
           "  --max-body-bytes N    body, else 413 [16777216]\n"
           "  --max-buffered-mb N   bodies held at once, all requests together, else 503 [256]\n"
           "  --max-connections N   open connections in all [1000]\n"
           "  --max-per-address N   open connections from one address [64]\n"
           "  --backlog N           connections waiting to be accepted [128]\n"
           "  --max-pieces N        messages in one submission [1000]\n"
           "  --max-digits N        digits of a number [20]\n"
           "  --max-characters N    characters of a message [160]\n"
           "Administration:\n"
           "  --list [USER]    print the stored messages (time, user, number, text) and end;\n"
           "                   with --state also line, entry id and state\n"
           "  --lines          print each --line's state, waiting, accepted today, last error\n"
           "  --nodes          print each node: last heartbeat, lines, claimed, queued, accepted\n"
           "                   today\n"
           "  --forget-node NAME  the node will not return: what it queued becomes unknown\n"
           "                   (check its lines), its claims go to the others; and end\n"
           "  --users          print the users (id, state, mobile, e-mail, sent today) and end\n"
           "  --approve ID     let a waiting user submit, and end\n"
           "  --remove ID      remove a user (what it sent stays), and end\n"
           "  --help           this text\n";
}
