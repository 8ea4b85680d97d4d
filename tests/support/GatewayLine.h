#pragma once

#include "support/Installed.h"

#include <httplib.h>

#include <algorithm>

#include <map>
#include <string>

// A line: an installed tree with the tuned Brindle profile on its own simulator.
struct GatewayLine {
    explicit GatewayLine(const QStringList& simulator = {}) {
        ok = inst.ok() && inst.simulate(simulator + QStringList{"--connect-delay", "1"}) &&
             QFile::remove(inst.file("NOM/UK/Cellnet/Config/Brindle.cfg")) &&
             QFile::copy(inst.file("NOM/UK/Cellnet/Config/Brindle.cfg.tuned"),
                         inst.file("NOM/UK/Cellnet/Config/Brindle.cfg"));
    }
    // What the simulator accepted: text -> times.
    std::map<std::string, int> received() const {
        std::map<std::string, int> out;
        for (const QString& l : inst.lines("run/record.txt"))
            if (!l.isEmpty())
                ++out[l.section('\t', 1).toStdString()];
        return out;
    }
    Installed inst;
    bool ok = false;
};

// Signs `user` on and submits `count` messages "<user> <i>", i from `first`,
// in one request to the service on `port`.
inline bool submitMessages(int port, const std::string& user, int count, int first = 1) {
    httplib::Client c("127.0.0.1", port);
    if (!c.Get("/quorvel/quorvel.asp?UN=" + user))
        return false;
    std::string t;
    for (int i = first; i < first + count; ++i)
        t += (i > first ? "%23" : "") + std::string("%2B4477009001") + std::to_string(i % 10) +
             "+" + user + "+" + std::to_string(i);
    const auto r = c.Post("/quorvel/quorvel.asp", "hMode=save&hUsername=" + user + "&T=" + t,
                          "application/x-www-form-urlencoded");
    return r && r->body.find("D:SMS message(s) accepted") != std::string::npos;
}

// text -> "state line", from `--list --state`.
inline std::map<std::string, std::string> messageStates(const QByteArray& listing) {
    std::map<std::string, std::string> out;
    for (const QString& row : QString(listing).split('\n'))
        if (const QStringList f = row.split('\t'); f.size() >= 7)
            out[f[3].toStdString()] = (f[6] + ' ' + f[4]).toStdString();
    return out;
}

// All `count` messages accepted or failed.
inline bool settled(const std::map<std::string, std::string>& states, size_t count) {
    return states.size() == count && std::all_of(states.begin(), states.end(), [](const auto& kv) {
               return kv.second.rfind("accepted", 0) == 0 || kv.second.rfind("failed", 0) == 0;
           });
}
