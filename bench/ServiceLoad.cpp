// Load on a running quorvel-service: concurrent clients, each signed on as a
// user of its own, submit forms of many pieces over kept-alive connections for
// a fixed time. Prints submissions per second and answer-time percentiles, then
// (once the service has stopped) counts the messages in its database against
// what was accepted.
// With a rate, the clients together offer that many submissions a second
// (each waits for its next turn) instead of sending as fast as answers come.
//   service_load PORT [clients] [seconds] [pieces] [rate]
//   service_load --count DB ACCEPTED-MESSAGES
#include <httplib.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const char* const kAccepted = "D:SMS message(s) accepted for processing.";

struct Tally {
    std::vector<double> ms; // answer time of every submission
    long accepted = 0, failed = 0;
};

std::string encode(const std::string& s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (isalnum(c))
            out += char(c);
        else
            out += {'%', hex[c >> 4], hex[c & 15]};
    }
    return out;
}

void client(int port, int id, int pieces, Clock::time_point end, Clock::duration every,
            Tally& tally) {
    httplib::Client c("127.0.0.1", port);
    c.set_keep_alive(true);
    c.set_tcp_nodelay(true); // as browsers and Qt do
    c.set_read_timeout(30);
    const std::string user = "bench-" + std::to_string(id);
    if (!c.Get("/quorvel/quorvel.asp?UN=" + user)) {
        ++tally.failed;
        return;
    }
    auto due = Clock::now();
    for (long seq = 0; Clock::now() < end; ++seq) {
        if (every.count()) {
            std::this_thread::sleep_until(due);
            due += every;
        }
        std::string t;
        for (int k = 0; k < pieces; ++k) {
            char piece[160];
            std::snprintf(piece, sizeof piece,
                          "%s+4477009%05d c%d s%ld p%d: a typical message text of some seventy "
                          "characters.",
                          k ? "#" : "", id * 100 + k, id, seq, k);
            t += piece;
        }
        std::string body = "T=" + encode(t) + "&hMode=save&hUsername=" + user +
                           "&hMobile=%2B447700900000&hMail=bench%40example.org";
        auto start = Clock::now();
        auto r = c.Post("/quorvel/quorvel.asp", body, "application/x-www-form-urlencoded");
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (r && r->status == 200 && r->body.find(kAccepted) != std::string::npos) {
            ++tally.accepted;
            tally.ms.push_back(ms);
        } else {
            ++tally.failed;
        }
    }
}

long count(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    long n = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        n = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return n;
}

} // namespace

int countStored(const char* path, long sent) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", path);
        return 1;
    }
    long stored = count(db, "SELECT COUNT(*) FROM messages WHERE user_id LIKE 'bench-%'");
    long distinct = count(db, "SELECT COUNT(*) FROM (SELECT DISTINCT user_id, text FROM messages"
                              " WHERE user_id LIKE 'bench-%')");
    sqlite3_close(db);
    bool ok = stored == sent && distinct == stored;
    std::printf("messages accepted: %ld, stored: %ld, distinct: %ld -> %s\n", sent, stored,
                distinct, ok ? "none lost, none doubled" : "MISMATCH");
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--count")
        return countStored(argv[2], std::atol(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: service_load PORT [clients] [seconds] [pieces] [rate]\n"
                             "       service_load --count DB ACCEPTED-MESSAGES\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const int clients = argc > 2 ? std::atoi(argv[2]) : 50;
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 30;
    const int pieces = argc > 4 ? std::atoi(argv[4]) : 20;
    const double rate = argc > 5 ? std::atof(argv[5]) : 0;
    const auto every = rate > 0 ? std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(clients / rate))
                                : Clock::duration::zero();

    std::vector<Tally> tallies(static_cast<size_t>(clients));
    std::vector<std::thread> threads;
    auto begin = Clock::now();
    auto end = begin + std::chrono::seconds(seconds);
    for (int i = 0; i < clients; ++i)
        threads.emplace_back(client, port, i, pieces, end, every, std::ref(tallies[size_t(i)]));
    for (auto& t : threads)
        t.join();
    double took = std::chrono::duration<double>(Clock::now() - begin).count();

    Tally all;
    for (auto& t : tallies) {
        all.ms.insert(all.ms.end(), t.ms.begin(), t.ms.end());
        all.accepted += t.accepted;
        all.failed += t.failed;
    }
    std::sort(all.ms.begin(), all.ms.end());
    auto pct = [&](double p) {
        return all.ms.empty() ? 0.0
                              : all.ms[std::min(all.ms.size() - 1, size_t(p * all.ms.size()))];
    };
    std::printf("%d clients, %d pieces a form, %.1f s, offered: %s\n", clients, pieces, took,
                rate > 0 ? (std::to_string(int(rate)) + "/s").c_str() : "as fast as answered");
    std::printf("accepted submissions: %ld, failed: %ld\n", all.accepted, all.failed);
    std::printf("submissions/s: %.0f (messages/s: %.0f)\n", all.accepted / took,
                all.accepted * pieces / took);
    std::printf("answer time ms: p50 %.1f  p90 %.1f  p99 %.1f  max %.1f\n", pct(0.50), pct(0.90),
                pct(0.99), all.ms.empty() ? 0.0 : all.ms.back());

    std::printf("accepted messages: %ld\n", all.accepted * pieces);
    return all.failed == 0 ? 0 : 1;
}
