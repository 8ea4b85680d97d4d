#pragma once

#include "HttpServer.h"

#include <string>
#include <vector>

struct ServiceOptions {
    std::string bind = "127.0.0.1";
    int port = 8480;
    std::string db; // empty: the default file under $XDG_DATA_HOME
    int allowance = 100;
    bool list = false;
    std::string listUser; // empty: every user
    bool help = false;
    bool openEnrolment = false;
    // The administrator's commands: each works on --db and ends.
    std::string approve, remove;
    bool users = false;

    // On a network: HTTPS with this certificate and key (PEM files), the
    // only Host name answered (empty: any), the proxies whose
    // X-Forwarded-For names the client.
    std::string tlsCert, tlsKey;
    std::string host;
    std::vector<std::string> trustedProxies;

    // The gateway: installations whose Brindle each owns one modem line; a
    // message whose runs fail this often on a line goes to another, and a
    // line that keeps failing rests this long.
    std::vector<std::string> lines;
    int lineFailures = 3;
    int lineRestSeconds = 300;
    bool listState = false; // --list --state: line, entry id and state too
    bool showLines = false; // --lines

    // Several services (nodes) on one database: this one's name (empty: the
    // host name), how long its claim on a message lasts, and the
    // administrator's commands about nodes.
    std::string node;
    int leaseSeconds = 60;
    std::string forgetNode;
    bool showNodes = false;

    // What one request may ask for.
    HttpLimits limits;
    int bufferedMegabytes = 256; // sets limits.bufferedBytes
    int maxPieces = 1000;
    int maxDigits = 20;
    int maxCharacters = 160;

    // Fills `options` from the arguments (without the program name); on a
    // usage error returns false with a one-line reason in `error`.
    static bool parse(const std::vector<std::string>& args, ServiceOptions& options,
                      std::string& error);
    static std::string usage();
    static std::string defaultDb();
    static std::string hostName();
};
