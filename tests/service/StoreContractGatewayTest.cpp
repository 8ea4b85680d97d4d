// The store's contract: the gateway's claims, leases, records and nodes.
#include "StoreContract.h"

namespace {

// Each user's oldest first, then each user's second, arrival deciding
// within a round; at most perUser of one user and limit in all.
TEST_P(StoreContract, ClaimsAreFairBetweenUsers) {
    add("a", {"a1", "a2", "a3", "a4", "a5"});
    add("b", {"b1"});
    add("c", {"c1", "c2"});
    const struct {
        int perUser, limit;
        std::string claimed;
    } cases[] = {
        {100, 100, "a1 b1 c1 a2 c2 a3 a4 a5"},
        {2, 100, "a1 b1 c1 a2 c2"},
        {100, 4, "a1 b1 c1 a2"},
    };
    for (const auto& c : cases) // the node's own claims are claimed again
        EXPECT_EQ(claim("n1", 100, c.perUser, c.limit), c.claimed);
}

// A lease holds the messages from other nodes while it lasts; recording
// them queued is fenced on the claim.
TEST_P(StoreContract, LeasesHoldUntilTheyRunOutAndFenceTheRecord) {
    add("a", {"m1", "m2"});
    EXPECT_EQ(claim("n1", 100), "m1 m2");
    EXPECT_EQ(claim("n2", 159), "");
    EXPECT_EQ(claim("n1", 159), "m1 m2"); // until 219
    EXPECT_EQ(claim("n2", 219), "m1 m2");
    // n1's lease ran out: its record of m1 is refused, n2's taken.
    EXPECT_EQ(queue("n1", "L1", {"m1"}), std::vector<long long>{});
    EXPECT_EQ(queue("n2", "L1", {"m2", "m1"}), idsOf({"m2", "m1"}));
    store->recordAppended(idsOf({"m1"}));
    store->recordFailedRun(idsOf({"m1", "m2"}));
    EXPECT_EQ(queuedOn("n2", "L1"),
              "m1:[m1] appended failures 1 moves 0; m2:[m2] failures 1 moves 0; ");
    // A move to another of n2's lines starts afresh and is counted; the
    // same line again is no move. Another node's queued message is not its.
    EXPECT_EQ(queue("n2", "L2", {"m1"}), idsOf({"m1"}));
    EXPECT_EQ(queue("n2", "L2", {"m1"}), idsOf({"m1"}));
    EXPECT_EQ(queue("n1", "L1", {"m2"}), std::vector<long long>{});
    EXPECT_EQ(queuedOn("n2", "L2"), "m1:[m1] failures 0 moves 1; ");
    EXPECT_EQ(queuedOn("n2", "L1"), "m2:[m2] failures 1 moves 0; ");
    EXPECT_EQ(queuedOn("n1", "L1"), "");
    EXPECT_EQ(claim("n1", 1000), "");
}

// Nodes claiming over and over at once never get the same message.
TEST_P(StoreContract, NodesClaimingAtOnceNeverShareAMessage) {
    constexpr int kNodes = 4, kUsers = 4, kEach = 60;
    for (int user = 0; user < kUsers; ++user) {
        std::vector<std::string> texts;
        for (int i = 0; i < kEach; ++i)
            texts.push_back(std::to_string(user) + "-" + std::to_string(i));
        add("u" + std::to_string(user), texts);
    }
    std::latch start(kNodes);
    std::vector<long long> claimed[kNodes];
    const auto node = [&](int n) {
        const std::string name = "n" + std::to_string(n);
        start.arrive_and_wait();
        for (;;) {
            const auto got = store->claim(name, 1, 3, 100, 160);
            if (got.empty())
                return;
            std::vector<Store::Handover> handovers;
            for (const auto& w : got) {
                claimed[n].push_back(w.id);
                handovers.push_back({w.id, "L", w.id, "e"});
            }
            store->recordQueued(name, handovers);
        }
    };
    std::vector<std::thread> others;
    for (int n = 1; n < kNodes; ++n)
        others.emplace_back(node, n);
    node(0);
    for (auto& t : others)
        t.join();
    std::set<long long> all;
    size_t total = 0;
    for (const auto& ids : claimed) {
        all.insert(ids.begin(), ids.end());
        total += ids.size();
    }
    EXPECT_EQ(all.size(), size_t(kUsers * kEach));
    EXPECT_EQ(total, size_t(kUsers * kEach));
}

// Accepted stays accepted, failed stays failed; a run that ends counts a
// failure of what is still queued only.
TEST_P(StoreContract, WhatBecameOfEachMessage) {
    add("a", {"m1", "m2", "m3", "m4", "m5", "no\r\nway"});
    ASSERT_EQ(claim("n1", 100, 100, 4), "m1 m2 m3 m4");
    queue("n1", "L1", {"m1", "m2", "m3"});
    store->recordAccepted(idsOf({"m1", "m2"}), "2027-01-15 09:00:00");
    store->recordFailed(idsOf({"m1", "m3", "m4"}), "refused", "2027-01-15 09:01:00");
    store->recordAccepted(idsOf({"m3"}), "2027-01-15 09:02:00");
    store->recordFailedRun(idsOf({"m2"}));
    EXPECT_EQ(store->failStored([](const std::string& t) { return t.find('\n') == t.npos; },
                                "cannot be sent by SMS", "2027-01-15 09:03:00"),
              1);
    EXPECT_EQ(states(), (std::map<std::string, std::string>{
                            {"m1", "accepted L1 10 2027-01-15 09:00:00 "},
                            {"m2", "accepted L1 20 2027-01-15 09:00:00 "},
                            {"m3", "failed L1 30 2027-01-15 09:01:00 refused"},
                            {"m4", "failed  0 2027-01-15 09:01:00 refused"},
                            {"m5", "stored  0  "},
                            {"no\r\nway", "failed  0 2027-01-15 09:03:00 cannot be sent by SMS"}}));
    EXPECT_EQ(claim("n2", 100), "m5");
}

// Each node's lines, counts and heartbeat; a node forgotten leaves its
// queued messages unknown for good and its claims to the others.
TEST_P(StoreContract, NodesAreCountedAndForgotten) {
    add("a", {"m1", "m2", "m3", "m4", "m5", "m6"});
    ASSERT_EQ(claim("n1", 100, 100, 4), "m1 m2 m3 m4");
    queue("n1", "L1", {"m1", "m2"});
    queue("n1", "L2", {"m3"});
    ASSERT_EQ(claim("n2", 100), "m5 m6");
    queue("n2", "L1", {"m5"});
    store->recordAccepted(idsOf({"m1"}), "2027-01-15 10:00:00");
    store->recordAccepted(idsOf({"m3"}), "2027-01-14 10:00:00");
    const auto counts = [&](const std::string& node) {
        std::string out;
        for (const auto& [line, c] : store->lineCounts(node, "2027-01-15"))
            out += line + " " + std::to_string(c.queued) + " " + std::to_string(c.acceptedSince) +
                   "; ";
        return out;
    };
    EXPECT_EQ(counts("n1"), "L1 1 1; L2 0 0; ");
    EXPECT_EQ(counts("n2"), "L1 1 0; ");
    store->recordLine("n1", {"L1", "ready", "", "t1"});
    store->recordLine("n1", {"L1", "resting until 10:05", "port gone", "t2"});
    store->recordLine("n2", {"L1", "running", "", "t3"});
    const auto lines = [&](const std::string& node) {
        std::string out;
        store->lines(node, [&](const Store::LineRecord& l) {
            out += l.name + "|" + l.state + "|" + l.lastError + "|" + l.updated + "; ";
        });
        return out;
    };
    EXPECT_EQ(lines("n1"), "L1|resting until 10:05|port gone|t2; ");
    EXPECT_EQ(lines("n2"), "L1|running||t3; ");
    store->heartbeat("n1", "L1\nL2", 1000);
    store->heartbeat("n2", "L1", 1001);
    store->heartbeat("n1", "L1\nL2", 1002);
    const auto nodes = [&] {
        std::string out;
        store->nodes("2027-01-15", [&](const Store::NodeRecord& n) {
            out += n.name + "|" + n.lines + "|" + std::to_string(n.heartbeat) + "|" +
                   std::to_string(n.claimed) + " " + std::to_string(n.queued) + " " +
                   std::to_string(n.acceptedSince) + "; ";
        });
        return out;
    };
    EXPECT_EQ(nodes(), "n1|L1\nL2|1002|1 1 1; n2|L1|1001|1 1 0; ");
    // m4 and m6 are still stored; what the other live nodes' lines can take.
    const auto backlog = [&](const std::string& node, long long aliveSince) {
        const Store::Backlog b = store->backlog(node, aliveSince);
        return std::to_string(b.stored) + " " + std::to_string(b.otherLines);
    };
    EXPECT_EQ(backlog("n2", 1000), "2 2");
    EXPECT_EQ(backlog("n1", 1001), "2 1");
    EXPECT_EQ(backlog("n1", 1002), "2 0");

    EXPECT_EQ(store->forgetNode("n1", "unknown: check the line", "2027-01-15 11:00:00"), 1);
    store->recordAccepted(idsOf({"m2"}), "2027-01-15 11:01:00");
    EXPECT_EQ(states()["m2"], "unknown L1 20 2027-01-15 11:00:00 unknown: check the line");
    EXPECT_EQ(states()["m1"], "accepted L1 10 2027-01-15 10:00:00 ");
    EXPECT_EQ(nodes(), "n2|L1|1001|1 1 0; ");
    EXPECT_EQ(lines("n1"), "");
    EXPECT_EQ(claim("n2", 101), "m4 m6"); // n1's lease would have held m4 to 160

    // Queued before nodes were recorded: the node that serves now takes it.
    database.execute("UPDATE messages SET node = NULL WHERE text = 'm5'");
    store->adoptUnowned("n3");
    EXPECT_EQ(queuedOn("n3", "L1"), "m5:[m5] failures 0 moves 0; ");
}

} // namespace
