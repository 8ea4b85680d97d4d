// quorvel-service as a gateway: installed trees as its lines, each Brindle
// on a message-centre simulator of its own, messages submitted over HTTP.
#include "client/shell/ui/MainForm.h"
#include "common/Setting.h"
#include "support/GatewayLine.h"
#include "support/ServiceProcess.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <httplib.h>

#include <map>

namespace {

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
    void submit(const std::string& user, int count) {
        ASSERT_TRUE(submitMessages(service->port, user, count));
    }
    std::map<std::string, std::string> states() const {
        return messageStates(service->list({"--state"}));
    }
    bool allSettled(size_t count) const { return settled(states(), count); }
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
