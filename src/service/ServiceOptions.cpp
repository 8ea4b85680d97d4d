#include "ServiceOptions.h"

#include <cstdlib>

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
        } else if (name == "--bind" || name == "--db" || name == "--approve" ||
                   name == "--remove") {
            if (!takeValue())
                return false;
            if (value.empty()) {
                error = name + " needs a value";
                return false;
            }
            (name == "--bind"      ? o.bind
             : name == "--db"      ? o.db
             : name == "--approve" ? o.approve
                                   : o.remove) = value;
        } else if (name == "--port") {
            if (!takeValue())
                return false;
            if (!number(value, 0, 65535, o.port)) {
                error = "--port wants a number from 0 to 65535, not '" + value + "'";
                return false;
            }
        } else if (name == "--allowance") {
            if (!takeValue())
                return false;
            if (!number(value, 0, 1000000000, o.allowance)) {
                error = "--allowance wants a number from 0 up, not '" + value + "'";
                return false;
            }
        } else {
            error = "unknown argument '" + name + "'";
            return false;
        }
    }
    return true;
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
           "       quorvel-service --list [USER] [--db FILE]\n"
           "       quorvel-service --users | --approve ID | --remove ID [--db FILE]\n"
           "Serves Quorvel's page /quorvel/quorvel.asp over plain HTTP and keeps the\n"
           "messages it accepts in an SQLite file.\n"
           "  --bind ADDRESS   address to listen on (default 127.0.0.1)\n"
           "  --port N         TCP port, 0 for a free one (default 8480)\n"
           "  --db FILE        the database (default "
           "$XDG_DATA_HOME/quorvel-service/messages.sqlite)\n"
           "  --allowance N    messages per user and day (default 100)\n"
           "  --open-enrolment a new user id may submit at once (else it waits for --approve)\n"
           "  --list [USER]    print the stored messages (time, user, number, text) and end\n"
           "  --users          print the users (id, state, mobile, e-mail, sent today) and end\n"
           "  --approve ID     let a waiting user submit, and end\n"
           "  --remove ID      remove a user (what it sent stays), and end\n"
           "  --help           this text\n";
}
