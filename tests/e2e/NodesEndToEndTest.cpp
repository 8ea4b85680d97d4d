// Two quorvel-service nodes on one database, each with two lines of its own
// on message-centre simulators: the simulators' records prove that every
// message went out once, also when a node is killed mid-delivery.
#include "support/GatewayLine.h"
#include "support/ServiceProcess.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// A fresh database: PostgreSQL when the test runs under pg_virtualenv (as
// the test command runs it), an SQLite file when the program is run by hand.
struct Database {
    explicit Database(const QString& name) {
        if (!qEnvironmentVariableIsSet("PGHOST")) {
            url = dir.filePath(name + ".sqlite");
            return;
        }
        QProcess::execute("dropdb", {"--if-exists", name});
        ok = QProcess::execute("createdb", {name}) == 0;
        url = "postgresql:///" + name;
    }
    QTemporaryDir dir;
    QString url;
    bool ok = true;
};

struct Node {
    Node(const Database& db, const QString& name, GatewayLine& one, GatewayLine& two,
         const QStringList& more = {}) {
        service = std::make_unique<ServiceProcess>(
            db.url, QStringList{"--open-enrolment", "--allowance", "1000", "--node", name, "--line",
                                one.inst.root(), "--line", two.inst.root()} +
                        more);
    }
    std::unique_ptr<ServiceProcess> service;
};

struct NodesEndToEnd : ::testing::Test {
    std::array<GatewayLine, 4> lines; // a1, a2, b1, b2
    void SetUp() override {
        for (const GatewayLine& l : lines)
            ASSERT_TRUE(l.ok);
    }
    // Each text the centres accepted, and how often.
    std::map<std::string, int> received() const {
        std::map<std::string, int> all;
        for (const GatewayLine& l : lines)
            for (const auto& [text, times] : l.received())
                all[text] += times;
        return all;
    }
    static long long count(const std::map<std::string, std::string>& states,
                           const std::string& state) {
        return std::count_if(states.begin(), states.end(),
                             [&](const auto& kv) { return kv.second.rfind(state, 0) == 0; });
    }
};

} // namespace

// 200 messages from five users, submitted to the two nodes in turn: each is
// accepted exactly once, and both nodes' lines carry them.
TEST_F(NodesEndToEnd, TwoNodesShareTheWork) {
    Database db("two_nodes");
    ASSERT_TRUE(db.ok) << "createdb failed";
    Node a(db, "a", lines[0], lines[1]), b(db, "b", lines[2], lines[3]);
    ASSERT_GT(a.service->port, 0) << a.service->log.toStdString();
    ASSERT_GT(b.service->port, 0) << b.service->log.toStdString();
    for (int round = 0; round < 4; ++round)
        for (const char* user : {"ann", "bob", "cy", "dee", "eve"})
            ASSERT_TRUE(
                submitMessages((round % 2 ? b : a).service->port, user, 10, round * 10 + 1));
    const auto states = [&] { return messageStates(a.service->list({"--state"})); };
    ASSERT_TRUE(DemoWalk::waitFor([&] { return settled(states(), 200); }, 240000))
        << a.service->log.toStdString() << b.service->log.toStdString();
    const auto sent = received();
    EXPECT_EQ(sent.size(), 200u);
    for (const auto& [text, times] : sent)
        EXPECT_EQ(times, 1) << text;
    EXPECT_EQ(count(states(), "accepted "), 200);
    for (const GatewayLine& l : lines)
        EXPECT_FALSE(l.received().empty()) << "every line carried messages";
    const QString nodes = a.service->command({"--nodes"});
    for (const QString& node : {QString("a\t"), QString("b\t")})
        EXPECT_TRUE(nodes.contains(QRegularExpression("(^|\n)" + node))) << nodes.toStdString();
    EXPECT_TRUE(nodes.contains(lines[2].inst.root() + ',' + lines[3].inst.root()))
        << nodes.toStdString();
}

// Node a is killed (-9) mid-delivery: b hands over everything a had not,
// a's claims included once its lease ran out; a, started again, finds out
// from its lines' files what became of its own. Nothing lost, nothing twice.
TEST_F(NodesEndToEnd, ANodeKilledMidDeliveryLosesAndRepeatsNothing) {
    Database db("node_killed");
    ASSERT_TRUE(db.ok) << "createdb failed";
    const QStringList lease{"--lease", "5"};
    auto a = std::make_unique<Node>(db, "a", lines[0], lines[1], lease);
    Node b(db, "b", lines[2], lines[3], lease);
    ASSERT_GT(a->service->port, 0) << a->service->log.toStdString();
    for (const char* user : {"ann", "bob", "cy", "dee", "eve"})
        ASSERT_TRUE(submitMessages(a->service->port, user, 20));
    const auto states = [&] { return messageStates(b.service->list({"--state"})); };
    ASSERT_TRUE(DemoWalk::waitFor([&] { return count(states(), "accepted ") >= 10; }, 120000));
    a->service->killNow();
    // Just dead, a still counts as alive: forgetting it is refused.
    const QString refused = b.service->command({"--forget-node", "a"});
    EXPECT_TRUE(refused.contains("quorvel-service: node a was alive ") &&
                refused.endsWith("exit 1"))
        << refused.toStdString();
    ASSERT_TRUE(DemoWalk::waitFor([&] { return count(states(), "stored") == 0; }, 120000))
        << b.service->log.toStdString();

    a = std::make_unique<Node>(db, "a", lines[0], lines[1], lease);
    ASSERT_TRUE(DemoWalk::waitFor([&] { return settled(states(), 100); }, 240000))
        << a->service->log.toStdString() << b.service->log.toStdString();
    EXPECT_EQ(count(states(), "accepted "), 100);
    const auto sent = received();
    EXPECT_EQ(sent.size(), 100u);
    for (const auto& [text, times] : sent)
        EXPECT_EQ(times, 1) << text;
    EXPECT_FALSE(lines[2].received().empty() && lines[3].received().empty());
}
