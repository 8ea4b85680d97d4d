// Load on a running quorvel-service: concurrent clients, each signed on as a
// user of its own, submit forms of many pieces over kept-alive connections for
// a fixed time. Prints submissions per second and answer-time percentiles, then
// (once the service has stopped) counts the messages in its database against
// what was accepted. Client n comes from 127.0.1.(1 + n / 10).
// With a rate, the clients together offer that many submissions a second
// (each waits for its next turn) instead of sending as fast as answers come.
// With --slow N, N hostile connections run beside the clients: each sends a
// form submission's header block that never ends, one byte every 2 s, from
// 127.0.0.2 ... 127.0.0.11 in turn, and reconnects at once from the same address
// when the service closes it (a failed connect is tried again 2 s later). The
// clients start once the service has taken all N (acknowledged their first
// byte), or after 30 s. With 0 clients only
// the slow connections run, until SIGINT or SIGTERM: they stay open across a
// stop of the service. The counts of the slow connections are printed at the end.
//   service_load [--slow N] PORT [clients] [seconds] [pieces] [rate]
//   service_load --count DB ACCEPTED-MESSAGES   (DB: a file or a postgresql:// URL)
#include "Store.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const char* const kAccepted = "D:SMS message(s) accepted for processing.";

struct Tally {
    std::vector<double> ms; // answer time of every submission
    long accepted = 0, failed = 0;
    std::map<std::string, long> why; // failures by cause
};

void fail(Tally& tally, const httplib::Result& r) {
    ++tally.failed;
    std::string why;
    if (!r) {
        why = "httplib error " + httplib::to_string(r.error());
    } else if (size_t e = r->body.find("E:"); r->status == 200 && e != std::string::npos) {
        why = r->body.substr(e, r->body.find_first_of("<\"\r\n", e) - e);
    } else {
        why = "status " + std::to_string(r->status);
    }
    ++tally.why[why];
}

// One thread and poll() for all of them: hundreds must not need hundreds of threads.
class SlowConnections {
public:
    SlowConnections(int port, int count) : m_port(port), m_conns(size_t(count)) {
        for (size_t i = 0; i < m_conns.size(); ++i)
            m_conns[i].from = htonl((127u << 24) + 2 + uint32_t(i % 10)); // 127.0.0.2 ...
    }

    // Until stopFd becomes readable; then every connection is closed.
    void run(int stopFd) {
        const auto begin = Clock::now();
        std::vector<pollfd> fds;
        std::vector<Conn*> owners;
        for (;;) {
            auto now = Clock::now();
            long pending = 0, taken = 0;
            for (auto& c : m_conns) {
                confirm(c);
                pending += c.fd >= 0 && !c.acked;
                taken += c.fd >= 0 && c.acked;
            }
            for (auto& c : m_conns) {
                if (c.next > now)
                    continue;
                if (c.fd >= 0 && !c.connecting)
                    dribble(c, now);
                else if (c.fd < 0 && pending < kPending)
                    pending += open(c, now);
            }
            if (!ready && (taken == long(m_conns.size()) || now - begin >= kReadyWait)) {
                std::printf("slow connections open: %ld of %zu after %.0f ms\n", taken,
                            m_conns.size(),
                            std::chrono::duration<double, std::milli>(now - begin).count());
                std::fflush(stdout);
                ready = true;
            }

            auto wake = now + std::chrono::seconds(1);
            if (!ready)
                wake = std::min(wake, begin + kReadyWait);
            if (pending)
                wake = std::min(wake, now + std::chrono::milliseconds(5)); // for the acks
            fds.assign(1, pollfd{stopFd, POLLIN, 0});
            owners.assign(1, nullptr);
            for (auto& c : m_conns) {
                if (c.fd >= 0 || pending < kPending)
                    wake = std::min(wake, c.next);
                if (c.fd >= 0) {
                    fds.push_back({c.fd, short(c.connecting ? POLLOUT : POLLIN), 0});
                    owners.push_back(&c);
                }
            }
            auto ms = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
            if (poll(fds.data(), fds.size(), int(std::max<long>(ms, 0))) < 0 && errno != EINTR)
                break;
            if (fds[0].revents)
                break;
            now = Clock::now();
            for (size_t i = 1; i < fds.size(); ++i) {
                if (fds[i].revents)
                    event(*owners[i], fds[i].revents, now);
            }
        }
        openAtEnd = m_open;
        ready = true;
        for (auto& c : m_conns) {
            if (c.fd >= 0)
                close(c.fd);
        }
    }

    void report() const {
        std::printf("slow connections: opened %ld, closed by service %ld, open at end %ld\n",
                    opened, closedByService, openAtEnd);
        if (failedConnects)
            std::printf("slow connects failed: %ld (last: %s)\n", failedConnects,
                        std::strerror(m_lastError));
    }

    std::atomic<bool> ready{false};
    long opened = 0, closedByService = 0, failedConnects = 0, openAtEnd = 0;

private:
    static constexpr auto kEvery = std::chrono::seconds(2);
    static constexpr auto kReadyWait = std::chrono::seconds(30);
    // Connects in a burst overflow a short listen backlog and then wait for
    // retransmissions: only a few go at once that the service has not yet taken.
    static constexpr long kPending = 4;

    struct Conn {
        uint32_t from = 0; // network order
        int fd = -1;
        bool connecting = false;
        bool acked = false; // the service's end has acknowledged the first byte
        size_t sent = 0;
        Clock::time_point next; // next byte, or next connect attempt
    };

    // A submission whose header block never ends: the padding lines go on for ever.
    static char byteAt(size_t i) {
        static const std::string head = "POST /quorvel/quorvel.asp HTTP/1.1\r\n"
                                        "Host: 127.0.0.1\r\n"
                                        "Content-Type: application/x-www-form-urlencoded\r\n";
        static const std::string pad = "X-Pad: 0123456789\r\n";
        return i < head.size() ? head[i] : pad[(i - head.size()) % pad.size()];
    }

    void confirm(Conn& c) {
        int queued = 0;
        if (c.fd >= 0 && !c.connecting && !c.acked && c.sent > 0 &&
            ioctl(c.fd, SIOCOUTQ, &queued) == 0 && queued == 0)
            c.acked = true;
    }

    // Whether a connect is under way.
    bool open(Conn& c, Clock::time_point now) {
        c.sent = 0;
        c.acked = false;
        c.connecting = true;
        c.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = c.from;
        if (c.fd < 0 || bind(c.fd, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
            failed(c, now);
            return false;
        }
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(uint16_t(m_port));
        if (connect(c.fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
            connected(c, now);
            return true;
        }
        if (errno != EINPROGRESS) {
            failed(c, now);
            return false;
        }
        c.next = Clock::time_point::max();
        return true;
    }

    void connected(Conn& c, Clock::time_point now) {
        c.connecting = false;
        ++opened;
        ++m_open;
        c.next = now;
    }

    void failed(Conn& c, Clock::time_point now) {
        m_lastError = errno;
        ++failedConnects;
        if (c.fd >= 0)
            close(c.fd);
        c.fd = -1;
        c.next = now + kEvery;
    }

    void closedByPeer(Conn& c, Clock::time_point now) {
        close(c.fd);
        c.fd = -1;
        --m_open;
        ++closedByService;
        c.next = now; // reconnected at once, as soon as few enough are under way
    }

    void event(Conn& c, short revents, Clock::time_point now) {
        if (c.connecting) {
            int error = 0;
            socklen_t size = sizeof error;
            getsockopt(c.fd, SOL_SOCKET, SO_ERROR, &error, &size);
            if (error) {
                errno = error;
                return failed(c, now);
            }
            return connected(c, now);
        }
        // Whatever the service answers is read and dropped; the end of the stream is its close.
        char buffer[4096];
        for (;;) {
            ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
            if (n > 0)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EINTR) && !(revents & (POLLHUP | POLLERR)))
                return;
            return closedByPeer(c, now);
        }
    }

    void dribble(Conn& c, Clock::time_point now) {
        char b = byteAt(c.sent);
        if (send(c.fd, &b, 1, MSG_NOSIGNAL) == 1)
            ++c.sent;
        else if (errno != EAGAIN && errno != EINTR)
            return closedByPeer(c, now);
        c.next = now + kEvery;
    }

    int m_port;
    std::vector<Conn> m_conns;
    long m_open = 0;
    int m_lastError = 0;
};

int g_stop[2] = {-1, -1};

void onStopSignal(int) {
    char b = 0;
    [[maybe_unused]] auto n = write(g_stop[1], &b, 1);
}

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
    // The service takes only a few new user ids an hour from one address.
    c.set_interface("127.0.1." + std::to_string(1 + id / 10));
    c.set_keep_alive(true);
    c.set_tcp_nodelay(true); // as browsers and Qt do
    c.set_read_timeout(30);
    const std::string user = "bench-" + std::to_string(id);
    if (auto r = c.Get("/quorvel/quorvel.asp?UN=" + user); !r) {
        fail(tally, r);
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
            fail(tally, r);
        }
    }
}

} // namespace

// Any kind of store the service takes: an SQLite file or a postgresql:// URL.
int countStored(const char* db, long sent) {
    long stored = 0;
    std::set<std::string> distinct;
    try {
        openStore(db, true)->list("", [&](const Store::Row& r) {
            if (r.userId.starts_with("bench-")) {
                ++stored;
                distinct.insert(r.userId + '\n' + r.text);
            }
        });
    } catch (const Store::Error& e) {
        std::fprintf(stderr, "cannot read %s: %s\n", db, e.what());
        return 1;
    }
    bool ok = stored == sent && long(distinct.size()) == stored;
    std::printf("messages accepted: %ld, stored: %ld, distinct: %zu -> %s\n", sent, stored,
                distinct.size(), ok ? "none lost, none doubled" : "MISMATCH");
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--count")
        return countStored(argv[2], std::atol(argv[3]));
    int slow = 0;
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--slow") {
        slow = std::atoi(argv[2]);
        first = 3;
    }
    if (argc <= first || slow < 0) {
        std::fprintf(
            stderr,
            "usage: service_load [--slow N] PORT[,PORT...] [clients] [seconds] [pieces] [rate]\n"
            "       service_load --count DB ACCEPTED-MESSAGES\n");
        return 2;
    }
    auto arg = [&](int i) { return first + i < argc ? argv[first + i] : nullptr; };
    // PORT,PORT…: the clients take the nodes' ports in turn.
    std::vector<int> ports;
    for (std::string rest = arg(0); !rest.empty();) {
        const size_t comma = rest.find(',');
        ports.push_back(std::atoi(rest.substr(0, comma).c_str()));
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    if (ports.empty())
        return 2;
    const int port = ports.front();
    const int clients = arg(1) ? std::atoi(arg(1)) : 50;
    const int seconds = arg(2) ? std::atoi(arg(2)) : 30;
    const int pieces = arg(3) ? std::atoi(arg(3)) : 20;
    const double rate = arg(4) ? std::atof(arg(4)) : 0;
    const auto every = rate > 0 ? std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(clients / rate))
                                : Clock::duration::zero();

    if (pipe2(g_stop, O_CLOEXEC) < 0)
        return 1;
    SlowConnections slowConnections(port, slow);
    if (clients == 0) {
        // Held until told to stop, so that they outlive a stop of the service.
        struct sigaction stop {};
        stop.sa_handler = onStopSignal;
        sigaction(SIGTERM, &stop, nullptr);
        sigaction(SIGINT, &stop, nullptr);
        slowConnections.run(g_stop[0]);
        slowConnections.report();
        return 0;
    }
    std::thread slowThread;
    if (slow) {
        slowThread = std::thread([&] { slowConnections.run(g_stop[0]); });
        while (!slowConnections.ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    std::vector<Tally> tallies(static_cast<size_t>(clients));
    std::vector<std::thread> threads;
    auto begin = Clock::now();
    auto end = begin + std::chrono::seconds(seconds);
    for (int i = 0; i < clients; ++i)
        threads.emplace_back(client, ports[size_t(i) % ports.size()], i, pieces, end, every,
                             std::ref(tallies[size_t(i)]));
    for (auto& t : threads)
        t.join();
    double took = std::chrono::duration<double>(Clock::now() - begin).count();
    if (slow) {
        onStopSignal(0);
        slowThread.join();
    }

    Tally all;
    for (auto& t : tallies) {
        all.ms.insert(all.ms.end(), t.ms.begin(), t.ms.end());
        all.accepted += t.accepted;
        all.failed += t.failed;
        for (auto& [why, n] : t.why)
            all.why[why] += n;
    }
    std::sort(all.ms.begin(), all.ms.end());
    auto pct = [&](double p) {
        return all.ms[std::min(all.ms.size() - 1, size_t(p * all.ms.size()))];
    };
    std::printf("%d clients, %d pieces a form, %.1f s, offered: %s\n", clients, pieces, took,
                rate > 0 ? (std::to_string(int(rate)) + "/s").c_str() : "as fast as answered");
    std::printf("accepted submissions: %ld, failed: %ld\n", all.accepted, all.failed);
    for (auto& [why, n] : all.why)
        std::printf("  failed: %ld %s\n", n, why.c_str());
    std::printf("submissions/s: %.0f (messages/s: %.0f)\n", all.accepted / took,
                all.accepted * pieces / took);
    if (all.ms.empty())
        std::printf("answer time ms: no submission accepted\n");
    else
        std::printf("answer time ms: p50 %.1f  p90 %.1f  p99 %.1f  max %.1f\n", pct(0.50),
                    pct(0.90), pct(0.99), all.ms.back());
    if (slow)
        slowConnections.report();

    std::printf("accepted messages: %ld\n", all.accepted * pieces);
    return all.failed == 0 ? 0 : 1;
}
