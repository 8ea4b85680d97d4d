// The service over HTTP on an ephemeral port, its database read back directly.
#include "Service.h"
#include "SqliteStore.h"
#include "support/ServiceProcess.h"

#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <httplib.h>
#include <sqlite3.h>

#include <atomic>
#include <latch>
#include <thread>

namespace {

const std::string kPage = "/quorvel/quorvel.asp";
const std::string kForm = "application/x-www-form-urlencoded";
const std::string kAccepted = "D:SMS message(s) accepted for processing.";

std::string encode(const std::string& s) {
    return QUrl::toPercentEncoding(QString::fromStdString(s)).toStdString();
}

std::string form(const std::string& t, const std::string& user = "u1",
                 const std::string& mode = "save") {
    return "T=" + encode(t) + "&hMode=" + mode + "&hUsername=" + encode(user) +
           "&hMobile=%2B447700900001&hMail=a%40b";
}

// The raw (escaped) value of a field as the page writes it.
std::string value(const std::string& page, const std::string& name) {
    const std::string key = "name=\"" + name + "\" value=\"";
    size_t at = page.find(key);
    if (at == std::string::npos)
        return "<no field " + name + ">";
    at += key.size();
    return page.substr(at, page.find('"', at) - at);
}

// What the server sends before it closes the connection.
std::string answer(QTcpSocket& socket) {
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(30000)) {
    }
    return socket.readAll().toStdString();
}

class ServiceTest : public ::testing::Test {
protected:
    ~ServiceTest() override { service.stop(); }
    std::time_t at(int day, int hour) {
        std::tm tm{};
        tm.tm_min = 30, tm.tm_hour = hour, tm.tm_mday = day, tm.tm_mon = 2, tm.tm_year = 126;
        tm.tm_isdst = -1;
        return std::mktime(&tm);
    }
    httplib::Client client(int to = 0) {
        httplib::Client c("127.0.0.1", to ? to : port);
        c.set_read_timeout(30);
        return c;
    }
    static ServiceOptions options() {
        ServiceOptions o;
        o.allowance = 5;
        o.openEnrolment = true;
        o.limits.perAddress = 4;
        o.limits.idleSeconds = 3600; // only the request's deadline cuts a slow one
        o.limits.bufferedBytes = 3 << 20;
        return o;
    }
    QTemporaryDir dir;
    std::string db = dir.filePath("m.sqlite").toStdString();
    std::atomic<std::time_t> clock{at(1, 9)};
    SqliteStore store{db};
    Service service{store, options(), nullptr, [this] { return clock.load(); }};
    int port = service.bind("127.0.0.1", 0);
    std::jthread thread{[this] { service.run(); }};
};

// Every answer is the one page: its form "f", the user's own fields echoed
// escaped, and the verdict in hstatus and hStatus1.
TEST_F(ServiceTest, SignOnSubmissionsRefusalsAndAllowance) {
    struct Step {
        std::string request; // a GET target, or a POST body
        std::string type;    // POST content type; empty for GET
        int status;
        std::string hstatus;
        std::string hstatus1 = {}; // empty: same as hstatus
        int days = 0;              // the clock moves on before the request
        std::string echoed = {};   // hUsername|hMobile|hMail, when checked
    };
    const std::string script = "<script>alert('x')</script>&";
    const std::string scriptEchoed = "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;|"
                                     "+447700900123|a+b&amp;c@d";
    const std::string mb(1 << 20, 'a');
    const std::string pieces1001 = "+4477 x" + QByteArray("#+4477 x").repeated(1000).toStdString();
    const std::string e160 = QString(160, QChar(0xE9)).toStdString();
    const std::string multipart = "--XyZ\r\nContent-Disposition: form-data; name=\"T\"\r\n\r\n"
                                  "+4479 multi\r\n--XyZ\r\nContent-Disposition: form-data; "
                                  "name=\"hMode\"\r\n\r\nsave\r\n--XyZ\r\nContent-Disposition: "
                                  "form-data; name=\"hUsername\"\r\n\r\nu1\r\n--XyZ--\r\n";
    const std::string left3 = "3 SMS message(s) remaining today.";
    const std::vector<Step> steps = {
        {kPage + "?UN=" + encode(script) + "&M=%2B447700900123&E=a%2Bb%26c%40d", "", 200,
         "C:Connected to Quorvel server.", "5 SMS message(s) remaining today.", 0, scriptEchoed},
        // A second sign-on without M and E keeps them, but never shows them.
        {kPage + "?UN=" + encode(script), "", 200, "C:Connected to Quorvel server.",
         "5 SMS message(s) remaining today.", 0,
         scriptEchoed.substr(0, scriptEchoed.find('|')) + "||"},
        {form("+4477 a#+4478 b"), kForm, 200,
         "E:Unknown user. Please connect to Quorvel server again."},
        {kPage, "", 200, "", ""},
        {kPage + "?UN=", "", 200, "E:No user id given."},
        {kPage + "?UN=" + std::string(101, 'u'), "", 200,
         "E:User id, mobile number or e-mail address too long."},
        {kPage + "?UN=u1", "", 200, "C:Connected to Quorvel server.",
         "5 SMS message(s) remaining today."},
        // A bad piece is named by its place, empty ones counted (more: fuzz_service_form).
        {form("+4477 a#+4478 b##c"), kForm, 200, "E:Message 3 is not a number and a text."},
        {form("+4477 a#4478 b"), kForm, 200, "E:Message 2 is not a number and a text."},
        {form("+4477 a#+ b"), kForm, 200, "E:Message 2 is not a number and a text."},
        {form(""), kForm, 200, "E:No messages to send."},
        {form("+4477 a", "u1", "load"), kForm, 200, "E:Unknown request."},
        {form("+4477 a#+4478 <b>&"), kForm, 200, kAccepted, left3},
        {form("+4477 c#+4478 d#+4479 e#+4470 f"), kForm, 200,
         "E:Daily allowance exceeded: 3 message(s) remaining today."},
        {kPage + "?UN=u1", "", 200, "C:Connected to Quorvel server.", left3},
        {multipart, "multipart/form-data; boundary=XyZ", 200, kAccepted,
         "2 SMS message(s) remaining today."},
        // A repeat of an accepted submission (its token) stores nothing and
        // gets the same verdict; so does a retry the client sends the same.
        {form("+4470 t1") + "&hToken=tok-1", kForm, 200, kAccepted,
         "1 SMS message(s) remaining today."},
        {form("+4470 t1") + "&hToken=tok-1", kForm, 200, kAccepted,
         "1 SMS message(s) remaining today."},
        {form("+4470 t2") + "&hToken=tok-2", kForm, 200, kAccepted,
         "0 SMS message(s) remaining today."},
        {form("+4470 t3") + "&hToken=" + encode("<a b>"), kForm, 400, "E:Malformed request."},
        {"T=%2B44%zz", kForm, 400, "E:Malformed request."},
        {"T=%2B44+a", "text/plain", 400, "E:Malformed request."},
        {"hMode=x&" + mb, kForm, 200, "E:Unknown request."},
        // No field grows the answer past what a sign-on takes, no form the store.
        {form("+4477 a", std::string(101, '"')),
         kForm,
         200,
         "E:User id, mobile number or e-mail address too long.",
         {},
         0,
         "||"},
        {form(pieces1001), kForm, 200, "E:Too many messages: at most 1000 in one submission."},
        {form("+4477 a#+123456789012345678901 b"), kForm, 200,
         "E:Message 2 is not a number and a text."},
        {form("+4477 " + e160 + "#+4477 " + e160 + "!"), kForm, 200,
         "E:Message 2 is longer than 160 characters."},
        {form("+12345678901234567890 " + e160), kForm, 200, kAccepted,
         "4 SMS message(s) remaining today.", 1},
        // A token is kept a week.
        {form("+4470 t1") + "&hToken=tok-1", kForm, 200, kAccepted,
         "4 SMS message(s) remaining today.", 7},
    };
    for (const auto& s : steps) {
        clock += s.days * 24 * 3600;
        auto r = s.type.empty() ? client().Get(s.request) : client().Post(kPage, s.request, s.type);
        SCOPED_TRACE(s.request.substr(0, 60));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, s.status);
        EXPECT_EQ(value(r->body, "hstatus"), s.hstatus);
        EXPECT_EQ(value(r->body, "hStatus1"), s.hstatus1.empty() ? s.hstatus : s.hstatus1);
        EXPECT_EQ(r->body.find("<script"), std::string::npos);
        EXPECT_EQ(r->body.find("<form"), r->body.find("<form name=\"f\""));
        EXPECT_NE(r->body.find("<textarea name=\"T\""), std::string::npos);
        EXPECT_EQ(value(r->body, "hMode"), "save");
        EXPECT_EQ(value(r->body, "hToken"), "");
        const std::string echoed = value(r->body, "hUsername") + "|" + value(r->body, "hMobile") +
                                   "|" + value(r->body, "hMail");
        EXPECT_TRUE(s.echoed.empty() || echoed == s.echoed) << echoed;
    }
    std::vector<std::string> stored;
    SqliteStore(db).list("", [&](const Store::Row& r) {
        stored.push_back(r.received + "|" + r.userId + "|" + r.number + "|" + r.text);
    });
    EXPECT_EQ(stored, (std::vector<std::string>{
                          "2026-03-01 09:30:00|u1|+4477|a", "2026-03-01 09:30:00|u1|+4478|<b>&",
                          "2026-03-01 09:30:00|u1|+4479|multi", "2026-03-01 09:30:00|u1|+4470|t1",
                          "2026-03-01 09:30:00|u1|+4470|t2",
                          "2026-03-02 09:30:00|u1|+12345678901234567890|" + e160,
                          "2026-03-09 09:30:00|u1|+4470|t1"}));
}

// A page of another site may neither sign on nor submit; the service's own may.
TEST_F(ServiceTest, ACrossSiteOriginIsRefused) {
    const std::string own = "http://127.0.0.1:" + std::to_string(port);
    const std::pair<std::string, int> origins[] = {
        {"http://evil.example", 403}, {"null", 403}, {own + ".evil.example", 403}, {own, 200}};
    for (const auto& [origin, status] : origins) {
        SCOPED_TRACE(origin);
        const httplib::Headers headers{{"Origin", origin}};
        auto signOn = client().Get(kPage + "?UN=u1", headers);
        auto post = client().Post(kPage, headers, form("+4477 x"), kForm);
        ASSERT_TRUE(signOn && post);
        EXPECT_EQ(signOn->status, status);
        EXPECT_EQ(post->status, status);
        EXPECT_EQ(value(post->body, "hstatus"), status == 403 ? "E:Request refused." : kAccepted);
    }
    int stored = 0;
    SqliteStore(db).list("", [&](const Store::Row&) { ++stored; });
    EXPECT_EQ(stored, 1);
}

// Without open enrolment a new id waits for the administrator, who lists,
// approves and removes users from the shell; an address brings in at most
// ten new ids an hour.
TEST(ServiceAccounts, ANewIdWaitsForTheAdministrator) {
    QTemporaryDir dir;
    { // A file of the earlier version: the users it holds stay enrolled.
        const std::string old = dir.filePath("old.sqlite").toStdString();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(old.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db,
                               "CREATE TABLE users(user_id TEXT PRIMARY KEY, mobile TEXT NOT NULL,"
                               " email TEXT NOT NULL, registered TEXT NOT NULL, updated TEXT NOT"
                               " NULL); INSERT INTO users VALUES('old', '', '', 'r', 'u');",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        std::string state;
        SqliteStore(old).accounts("2026-01-01", [&](const Store::Account& a) {
            state = a.userId + (a.enrolled ? " enrolled" : " waiting");
        });
        EXPECT_EQ(state, "old enrolled");
    }
    ServiceProcess service(dir.filePath("a.sqlite"), {});
    ASSERT_GT(service.port, 0) << service.log.toStdString();
    httplib::Client c("127.0.0.1", service.port);
    const auto signOn = [&](const std::string& id) {
        auto r = c.Get(kPage + "?UN=" + id + "&M=%2B447700900001&E=a%40b");
        return r ? value(r->body, "hstatus") : "no answer";
    };
    const auto submit = [&](const std::string& id) {
        auto r = c.Post(kPage, form("+4477 x", id), kForm);
        return r ? value(r->body, "hstatus") : "no answer";
    };
    const std::string waiting =
        "E:Registration received; it waits for the service&#39;s administrator.";
    const std::string unknown = "E:Unknown user. Please connect to Quorvel server again.";
    EXPECT_EQ(signOn("new"), waiting);
    EXPECT_EQ(submit("new"), unknown);
    EXPECT_EQ(service.command({"--users"}), "new\twaiting\t+447700900001\ta@b\t0\n");
    EXPECT_EQ(service.command({"--approve", "new"}), "");
    EXPECT_EQ(signOn("new"), "C:Connected to Quorvel server.");
    EXPECT_EQ(submit("new"), kAccepted);
    EXPECT_EQ(service.command({"--users"}), "new\tenrolled\t+447700900001\ta@b\t1\n");
    EXPECT_EQ(service.command({"--remove", "new"}), "");
    EXPECT_EQ(submit("new"), unknown);
    EXPECT_EQ(service.command({"--approve", "gone"}), "quorvel-service: no user gone\nexit 1");
    for (int i = 1; i < Service::kNewIdsPerHour; ++i) // "new" was the first
        EXPECT_EQ(signOn("id" + std::to_string(i)), waiting);
    EXPECT_EQ(signOn("one-too-many"),
              "E:Too many new user ids from this address. Please try again later.");
    EXPECT_EQ(service.stop(), 0);
}

// A client that dribbles, floods or says nothing holds only its own
// connection, and not for long: the others are answered meanwhile.
TEST_F(ServiceTest, HostileConnectionsAreCutWhileOthersAreServed) {
    const auto connect = [&](const char* from = "127.0.0.1") {
        auto socket = std::make_unique<QTcpSocket>();
        socket->bind(QHostAddress(from));
        socket->connectToHost("127.0.0.1", quint16(port));
        EXPECT_TRUE(socket->waitForConnected(30000));
        return socket;
    };
    const auto served = [&] {
        auto r = client().Get(kPage + "?UN=u1");
        return r && value(r->body, "hstatus") == "C:Connected to Quorvel server.";
    };
    const std::string head = "GET " + kPage + "?UN=u1 HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    struct Case {
        std::string sent;
        std::string answerStart; // empty: closed, with or without an answer
    } const cases[] = {
        {head + "X-Big: " + std::string(9000, 'a') + "\r\n\r\n",
         "HTTP/1.1 431 Request Header Fields Too Large"},
        {head + "X-Big: " + std::string(4 << 20, 'a'), ""},
        {"POST " + kPage + " HTTP/1.1\r\nHost: x\r\nContent-Length: 16777217\r\n\r\n",
         "HTTP/1.1 413 Content Too Large"},
        {"GARBAGE\r\nConnection: close\r\n\r\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent.substr(0, 40));
        auto socket = connect();
        socket->write(c.sent.data(), qint64(c.sent.size()));
        EXPECT_EQ(answer(*socket).substr(0, c.answerStart.size()), c.answerStart);
        EXPECT_NE(socket->state(), QAbstractSocket::ConnectedState);
        EXPECT_TRUE(served());
    }
    // The server's threads see a connection in their own time; the test's clock moves after.
    const auto until = [](const std::function<bool()>& holds) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!holds() && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::yield();
        return holds();
    };
    // A request that trickles is cut when its time is up, not before.
    auto slow = connect();
    slow->write(head.data(), qint64(head.size()));
    ASSERT_TRUE(slow->waitForBytesWritten(30000));
    ASSERT_TRUE(until([&] { return service.http().requestsBeingRead() == 1; }));
    clock += 29;
    service.closeOverdue();
    EXPECT_TRUE(served());
    EXPECT_FALSE(slow->waitForDisconnected(0));
    clock += 1;
    service.closeOverdue();
    EXPECT_EQ(answer(*slow), "");
    EXPECT_NE(slow->state(), QAbstractSocket::ConnectedState);
    // Bodies held at once share one bound: a body that does not fit waits for room.
    const auto post = [&](int length) {
        const std::string h = "POST " + kPage +
                              " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " + kForm +
                              "\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
        auto socket = connect("127.0.0.4");
        socket->write(h.data(), qint64(h.size()));
        EXPECT_TRUE(socket->waitForBytesWritten(30000));
        return socket;
    };
    auto large = post(2 << 20);
    ASSERT_TRUE(until([&] { return service.http().bodyBytesHeld() == 2 << 20; }));
    auto another = post(2 << 20);
    EXPECT_EQ(value(answer(*another), "hstatus"), "E:Server error. Please try again later.");
    large.reset();
    ASSERT_TRUE(until([&] { return service.http().bodyBytesHeld() == 0; }));
    // One address holds at most its share of the connections; another
    // address is still served.
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < options().limits.perAddress; ++i)
        held.push_back(connect("127.0.0.3"));
    ASSERT_TRUE(until([&] { return service.http().connectionsFrom("127.0.0.3") == 4; }));
    auto extra = connect("127.0.0.3");
    EXPECT_EQ(answer(*extra), "");
    auto other = connect("127.0.0.2");
    const std::string get = head + "Connection: close\r\n\r\n";
    other->write(get.data(), qint64(get.size()));
    EXPECT_EQ(value(answer(*other), "hstatus"), "C:Connected to Quorvel server.");
}

// On a network: HTTPS with the office's own certificate, one host name
// answered, and behind a trusted proxy the client's address from it.
TEST(ServiceNetwork, HttpsForOneHostNameBehindATrustedProxy) {
    QTemporaryDir dir;
    const QString cert = dir.filePath("cert.pem"), key = dir.filePath("key.pem");
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                              "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                              "-keyout", key, "-out", cert});
    ASSERT_TRUE(openssl.waitForFinished(60000) && openssl.exitCode() == 0)
        << openssl.readAllStandardError().toStdString();
    ServiceProcess service(dir.filePath("n.sqlite"),
                           {"--open-enrolment", "--tls-cert", cert, "--tls-key", key, "--host",
                            "Quorvel.Example", "--trusted-proxy", "127.0.0.1"});
    ASSERT_GT(service.port, 0) << service.log.toStdString();
    EXPECT_TRUE(service.log.startsWith("quorvel-service: serving https://"))
        << service.log.toStdString();
    const auto get = [&](const std::string& host, bool tls) {
        QSslSocket socket;
        QSslConfiguration trust = socket.sslConfiguration();
        trust.setCaCertificates(QSslCertificate::fromPath(cert));
        socket.setSslConfiguration(trust);
        const std::string request = "GET " + kPage + "?UN=u1 HTTP/1.1\r\nHost: " + host +
                                    "\r\nX-Forwarded-For: 203.0.113.9, 198.51.100.7\r\n"
                                    "Connection: close\r\n\r\n";
        if (tls)
            socket.connectToHostEncrypted("127.0.0.1", quint16(service.port));
        else
            socket.connectToHost("127.0.0.1", quint16(service.port));
        if (tls && !socket.waitForEncrypted(30000))
            return "not encrypted: " + socket.errorString().toStdString();
        socket.write(request.data(), qint64(request.size()));
        const std::string said = answer(socket);
        return said.substr(0, said.find("\r\n")) + " " + value(said, "hstatus");
    };
    EXPECT_EQ(get("quorvel.example:443", true), "HTTP/1.1 200 OK C:Connected to Quorvel server.");
    EXPECT_EQ(get("other.example", true), "HTTP/1.1 421 Misdirected Request E:Request refused.");
    EXPECT_EQ(get("quorvel.example", false), " <no field hstatus>");
    EXPECT_EQ(service.stop(), 0) << service.log.toStdString();
    // The log names the client the proxy forwarded for, and never a query.
    EXPECT_TRUE(service.log.contains(" 198.51.100.7 GET /quorvel/quorvel.asp 200 "))
        << service.log.toStdString();
    EXPECT_FALSE(service.log.contains("UN=")) << service.log.toStdString();
}

// Two programs on one file stand in for any two writers: the allowance is
// counted inside the transaction, so only one of the full submissions fits.
// Each logs its requests, stops cleanly on SIGTERM and lists what was stored.
TEST_F(ServiceTest, TwoProgramsOnOneFileNeverBothPassTheAllowance) {
    ServiceProcess a(dir.filePath("p.sqlite")), b(dir.filePath("p.sqlite"));
    ASSERT_TRUE(a.port && b.port) << a.log.toStdString() << b.log.toStdString();
    ASSERT_TRUE(client(a.port).Get(kPage + "?UN=u%09x"));
    std::string t = "+4477 a\tb\x1b[2J"; // as many as the programs' allowance, 100
    for (int i = 1; i < 100; ++i)
        t += "#+4477 " + std::to_string(i);
    constexpr int kClients = 6;
    std::latch start(kClients);
    std::atomic<int> accepted{0}, refused{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back([&, i] {
            auto c = client(i % 2 ? b.port : a.port);
            start.arrive_and_wait();
            auto r = c.Post(kPage, form(t, "u\tx"), kForm);
            std::string status = r ? value(r->body, "hstatus") : "no answer";
            if (status == kAccepted)
                ++accepted;
            else if (status == "E:Daily allowance exceeded: 0 message(s) remaining today.")
                ++refused;
        });
    }
    for (auto& c : clients)
        c.join();
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(refused, kClients - 1);
    // Clients that dribble a request do not hold the service up when it is told to stop.
    std::vector<std::unique_ptr<QTcpSocket>> slow;
    for (int i = 0; i < 10; ++i) {
        slow.push_back(std::make_unique<QTcpSocket>());
        slow.back()->connectToHost("127.0.0.1", quint16(a.port));
        slow.back()->write("POST /quorvel/quorvel.asp HTTP/1.1\r\nContent-Length: 100\r\n"
                           "\r\nT=%2B4477");
        ASSERT_TRUE(slow.back()->waitForBytesWritten(30000));
    }
    EXPECT_EQ(a.stop(), 0);
    EXPECT_TRUE(
        a.log.contains(QRegularExpression(" 127.0.0.1 POST /quorvel/quorvel.asp 200 [0-9.]+ ms\n")))
        << a.log.toStdString();
    EXPECT_TRUE(a.log.endsWith("quorvel-service: stopped\n")) << a.log.toStdString();
    const QByteArray stored = b.list({"u\tx"});
    EXPECT_EQ(stored.count('\n'), 100);
    // No stored text drives the terminal that lists it.
    EXPECT_TRUE(stored.contains("\tu\\tx\t+4477\ta\\tb\\x1b[2J\n")) << stored.toStdString();
}

} // namespace
