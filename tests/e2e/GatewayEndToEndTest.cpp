// quorvel-service as a gateway: installed trees as its lines, each Brindle
// on a message-centre simulator of its own, messages submitted over HTTP.
#include "client/shell/ui/MainForm.h"
#include "common/Setting.h"
#include "support/Installed.h"
#include "support/ServiceProcess.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <httplib.h>

#include <map>

namespace {

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

struct GatewayEndToEnd : ::testing::Test {
    QTemporaryDir dir;
    QString db = dir.filePath("gateway.sqlite");
    std::unique_ptr<ServiceProcess> service;

    void serve(const std::vector<GatewayLine*>& lines, const QStringList& more = {}) {
        QStringList options{"--open-enrolment", "--allowance", "1000"};
        for (GatewayLine* l : lines)
            options << "--line" << l->inst.root();
        service = std::make_unique<ServiceProcess>(db, options + more);
        ASSERT_GT(service->port, 0) << service->log.toStdString();
    }
    // Signs on and submits `count` messages of `user` in one request.
    void submit(const std::string& user, int count) {
        httplib::Client c("127.0.0.1", service->port);
        ASSERT_TRUE(c.Get("/quorvel/quorvel.asp?UN=" + user));
        std::string t;
        for (int i = 1; i <= count; ++i)
            t += (i > 1 ? "%23" : "") + std::string("%2B4477009001") + std::to_string(i % 10) +
                 "+" + user + "+" + std::to_string(i);
        const auto r = c.Post("/quorvel/quorvel.asp", "hMode=save&hUsername=" + user + "&T=" + t,
                              "application/x-www-form-urlencoded");
        ASSERT_TRUE(r && r->body.find("D:SMS message(s) accepted") != std::string::npos);
    }
    // text -> state, line
    std::map<std::string, std::string> states() const {
        std::map<std::string, std::string> out;
        for (const QString& row : QString(service->list({"--state"})).split('\n'))
            if (const QStringList f = row.split('\t'); f.size() >= 7)
                out[f[3].toStdString()] = (f[6] + ' ' + f[4]).toStdString();
        return out;
    }
    bool allSettled(size_t count) const {
        const auto s = states();
        return s.size() == count && std::all_of(s.begin(), s.end(), [](const auto& kv) {
                   return kv.second.rfind("accepted", 0) == 0 || kv.second.rfind("failed", 0) == 0;
               });
    }
};

} // namespace

// 40 messages from three users over two lines, the service killed (-9) and
// started again three times meanwhile: each reaches a centre once.
TEST_F(GatewayEndToEnd, EachMessageIsAcceptedOnceThoughTheServiceIsKilled) {
    GatewayLine one, two;
    ASSERT_TRUE(one.ok && two.ok);
    serve({&one, &two});
    submit("ann", 20);
    submit("bob", 12);
    submit("cy", 8);
    bool given = false;
    quint32 seed = qEnvironmentVariable("QUORVEL_KILL_SEED").toUInt(&given);
    if (!given)
        seed = QRandomGenerator::global()->generate();
    std::printf("kill seed %u (QUORVEL_KILL_SEED repeats it)\n", seed);
    QRandomGenerator random(seed);
    for (int kill = 0; kill < 3; ++kill) {
        DemoWalk::waitFor([] { return false; }, int(random.bounded(200, 1500)));
        service->killNow();
        serve({&one, &two});
    }
    ASSERT_TRUE(DemoWalk::waitFor([&] { return allSettled(40); }, 180000))
        << service->log.toStdString();
    std::map<std::string, int> sent = one.received();
    for (const auto& [text, times] : two.received())
        sent[text] += times;
    EXPECT_EQ(sent.size(), 40u);
    for (const auto& [text, times] : sent)
        EXPECT_EQ(times, 1) << text;
    std::map<std::string, int> byLine;
    for (const auto& [text, state] : states()) {
        EXPECT_EQ(state.substr(0, 9), "accepted ") << text;
        ++byLine[state.substr(9)];
    }
    EXPECT_EQ(byLine.size(), 2u) << "both lines carried messages";
}

// A centre that is always busy: the messages leave its line after two
// failed runs and the other line sends them; the busy line rests.
TEST_F(GatewayEndToEnd, ABusyCentresMessagesMoveToTheOtherLine) {
    GatewayLine busy({"--busy"}), good;
    ASSERT_TRUE(busy.ok && good.ok);
    busy.inst.setBrindleConfigLine(22, "1");
    serve({&busy, &good}, {"--line-failures", "2"});
    submit("ann", 3);
    ASSERT_TRUE(DemoWalk::waitFor([&] { return allSettled(3); }, 120000))
        << service->log.toStdString();
    for (const auto& [text, state] : states())
        EXPECT_EQ(state, "accepted " + good.inst.root().toStdString()) << text;
    EXPECT_TRUE(busy.received().empty());
    const QString lines = service->command({"--lines", "--line", busy.inst.root()});
    EXPECT_TRUE(lines.contains("\tresting until ")) << lines.toStdString();
}

// The client's own Internet route into a gateway: the message reaches the
// line's centre, and the user's page says it was accepted.
TEST_F(GatewayEndToEnd, TheClientsInternetRouteEndsAtALinesCentre) {
    GatewayLine line;
    ASSERT_TRUE(line.ok);
    Installed client; // its modem route is set up, as a user's would be
    ASSERT_TRUE(client.ok() && client.simulate({}));
    serve({&line});
    Setting::write(Setting::ServerUrl, service->url());
    DemoWalk walk(client.root(), client.root() + "/shots");
    ASSERT_TRUE(walk.startClient()) << walk.error().toStdString();
    ASSERT_TRUE(walk.switchToInternet("+447700900123", "web@example.org", 30000) &&
                walk.addRecipient("Web User", "07700900456") &&
                walk.composeAndSend("", "Through the gateway.") && walk.sendQueueByInternet(30000))
        << walk.error().toStdString();
    walk.mainForm()->close();
    ASSERT_TRUE(DemoWalk::waitFor([&] { return allSettled(1); }, 60000));
    const auto sent = line.received();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent.begin()->first.rfind("Through the gateway.", 0), 0u) << sent.begin()->first;
    const QString user = QString(service->list()).section('\t', 1, 1);
    httplib::Client c("127.0.0.1", service->port);
    const auto page = c.Get("/quorvel/quorvel.asp?UN=" + user.toStdString());
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("<td>+447700900456</td><td>Through the gateway."), std::string::npos);
    EXPECT_NE(page->body.find("<td>accepted</td>"), std::string::npos) << page->body;
}
