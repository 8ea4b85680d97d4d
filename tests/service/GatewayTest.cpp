// The gateway's dispatcher against lines that keep their files in memory,
// with Brindle's runs played by the test, on a real database.
#include "Dispatcher.h"
#include "Form.h"
#include "Service.h"
#include "SqliteStore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <httplib.h>

#include <functional>
#include <map>

namespace {

struct Killed {};

class FakeLine : public Line {
public:
    explicit FakeLine(std::string name) : m_name(std::move(name)) {}
    const std::string& name() const override { return m_name; }
    std::unique_ptr<Hold> holdStart() override { return std::make_unique<Hold>(); }
    bool running() override { return busy; }
    std::optional<long long> reserveIds(int count) override {
        if (onReserve)
            onReserve();
        const long long first = nextId;
        nextId += count;
        return first;
    }
    std::string entry(long long id, const std::string& received, const std::string& number,
                      const std::string& text) override {
        return "[" + std::to_string(id) + "] " + received + " " + number + " " + text;
    }
    bool append(const std::vector<std::string>& entries) override {
        if (killAt == "before append")
            throw Killed{};
        for (const std::string& e : entries) {
            inbox.push_back(e);
            ++appended[e.substr(e.find(' ') + 1)];
        }
        if (killAt == "after append")
            throw Killed{};
        return true;
    }
    bool startRun(std::string& problem) override {
        problem = "port gone";
        runs += startable;
        return startable;
    }
    Seen look() override {
        Seen seen{out, rcv, {}};
        for (const std::string& e : inbox)
            seen.queued.insert(id(e));
        return seen;
    }
    bool removeCarried(const std::set<long long>& ids) override {
        for (long long i : ids)
            rcv.erase(i);
        return true;
    }
    // Brindle's run: the carried entries and the inbox, each to its fate.
    enum Fate { Accept, Carry, Refuse };
    void run(const std::function<Fate(const std::string& text)>& fate) {
        std::vector<std::string> taken = inbox;
        for (auto it = carriedText.begin(); it != carriedText.end();)
            if (rcv.count(it->first)) {
                taken.push_back(it->second);
                ++it;
            } else {
                it = carriedText.erase(it);
            }
        inbox.clear();
        rcv.clear();
        for (const std::string& e : taken) {
            switch (fate(e.substr(e.rfind(' ') + 1))) {
            case Accept:
                out.insert(id(e));
                ++sent[e.substr(e.rfind(' ') + 1)];
                break;
            case Carry:
                rcv.insert(id(e));
                carriedText[id(e)] = e;
                break;
            case Refuse:
                break;
            }
        }
    }
    static long long id(const std::string& e) { return std::stoll(e.substr(1)); }

    std::string m_name;
    bool busy = false, startable = true;
    std::string killAt;
    std::function<void()> onReserve; // between the claim and its record
    long long nextId = 1;
    int runs = 0;
    std::vector<std::string> inbox;
    std::set<long long> out, rcv;
    std::map<long long, std::string> carriedText;
    std::map<std::string, int> appended, sent; // by "date number text" / by text
};

struct Gateway : ::testing::Test {
    QTemporaryDir dir;
    SqliteStore store{dir.filePath("m.sqlite").toStdString()};
    FakeLine one{"/srv/line1"}, two{"/srv/line2"};
    std::time_t now = 1'800'000'000;
    char* logText = nullptr;
    size_t logSize = 0;
    std::FILE* log = open_memstream(&logText, &logSize);
    ~Gateway() override {
        std::fclose(log);
        std::free(logText);
    }
    Dispatcher dispatcher(int failures = 3) {
        return Dispatcher(store, {&one, &two}, {failures, 300, "n1"}, log, [this] { return now; });
    }
    void submit(const std::string& user, int count, const std::string& prefix) {
        store.signOn(user, {}, {}, "2027-01-15 08:00:00", true);
        std::vector<Store::Message> m;
        for (int i = 1; i <= count; ++i)
            m.push_back({"+4477009" + std::to_string(i), prefix + std::to_string(i)});
        ASSERT_EQ(store.submit(user, m, "2027-01-15", "2027-01-15 08:00:00", 100000).kind,
                  Store::Outcome::Accepted);
    }
    // text: state line reason
    std::map<std::string, std::string> states() {
        std::map<std::string, std::string> out;
        store.list("", [&](const Store::Row& r) {
            out[r.text] = r.state + " " + r.line + (r.reason.empty() ? "" : " " + r.reason);
        });
        return out;
    }
    static std::vector<std::string> texts(const FakeLine& line) {
        std::vector<std::string> out;
        for (const std::string& e : line.inbox)
            out.push_back(e.substr(e.rfind(' ') + 1));
        return out;
    }
};

} // namespace

// One user's thousands never hold back another's one: each line takes a
// run's worth, every user's oldest first, and the lines share the load.
TEST_F(Gateway, HandsOverFairlyAndSpreadsOverTheLines) {
    submit("a", 250, "a");
    submit("b", 1, "b");
    submit("c", 2, "c");
    auto d = dispatcher();
    d.tick();
    ASSERT_EQ(one.inbox.size() + two.inbox.size(), 200u);
    EXPECT_EQ(one.inbox.size(), 100u);
    const auto first = texts(one), second = texts(two);
    EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + 3),
              (std::vector<std::string>{"a1", "c1", "c2"}));
    EXPECT_EQ(std::vector<std::string>(second.begin(), second.begin() + 3),
              (std::vector<std::string>{"b1", "a2", "a3"}));
    EXPECT_EQ(one.runs + two.runs, 2);
    EXPECT_EQ(one.inbox.front().substr(0, 4), "[1] ");

    // A line in a run takes nothing; the other takes the rest.
    one.run([](auto&) { return FakeLine::Accept; });
    two.busy = true;
    d.tick();
    EXPECT_EQ(one.inbox.size(), 53u);
    EXPECT_TRUE(two.inbox.size() == 100u);
    one.run([](auto&) { return FakeLine::Accept; });
    two.busy = false;
    two.run([](auto&) { return FakeLine::Accept; });
    d.tick();
    const auto s = states();
    EXPECT_EQ(std::count_if(s.begin(), s.end(),
                            [](auto& kv) { return kv.second.rfind("accepted ", 0) == 0; }),
              253);
    for (const auto& [text, times] : one.sent)
        EXPECT_EQ(times + two.sent.count(text), 1u) << text;
}

// A kill between the record and the append, or between the append and its
// record: the next service finds out from the line's files which it was.
TEST_F(Gateway, AKilledServiceNeitherLosesNorRepeatsAHandOver) {
    for (const char* point : {"before append", "after append"}) {
        SCOPED_TRACE(point);
        one = FakeLine("/srv/line1");
        two = FakeLine("/srv/line2");
        two.busy = true;
        submit(std::string("u") + point, 3, point[0] == 'b' ? "x" : "y");
        one.killAt = point;
        EXPECT_THROW(dispatcher().tick(), Killed);
        one.killAt.clear();
        auto again = dispatcher();
        again.tick();
        ASSERT_EQ(one.appended.size(), 3u);
        for (const auto& [entry, times] : one.appended)
            EXPECT_EQ(times, 1) << entry;
        one.run([](auto&) { return FakeLine::Accept; });
        again.tick();
        EXPECT_EQ(one.sent.size(), 3u);
    }
    for (const auto& [text, state] : states())
        EXPECT_EQ(state, "accepted /srv/line1") << text;
}

// Refused by the centre: failed. Carried over run after run: the message
// moves to the other line once, then fails; the failing line rests.
TEST_F(Gateway, RefusalsMovesAndARestingLine) {
    submit("u", 4, "m");
    two.busy = true;
    auto d = dispatcher(2);
    d.tick();
    ASSERT_EQ(one.inbox.size(), 4u);
    const auto busyCentre = [](const std::string& t) {
        return t == "m4" ? FakeLine::Refuse : FakeLine::Carry;
    };
    one.run(busyCentre);
    d.tick(); // m4 refused; one failed run: the line runs again
    EXPECT_EQ(one.runs, 2);
    one.run(busyCentre);
    d.tick(); // the second: they leave line1, which rests; line2 is busy
    EXPECT_TRUE(one.rcv.empty());
    EXPECT_EQ(d.lineState(0).rfind("resting until ", 0), 0u);
    two.busy = false;
    d.tick();
    EXPECT_EQ(texts(two), (std::vector<std::string>{"m1", "m2", "m3"}));
    two.run([](const std::string& t) { return t == "m3" ? FakeLine::Carry : FakeLine::Accept; });
    d.tick();
    two.run([](const std::string& t) { return t == "m3" ? FakeLine::Carry : FakeLine::Accept; });
    d.tick();
    EXPECT_EQ(states(), (std::map<std::string, std::string>{
                            {"m1", "accepted /srv/line2"},
                            {"m2", "accepted /srv/line2"},
                            {"m3", "failed /srv/line2 not sent: 2 runs failed on line /srv/line2"},
                            {"m4", "failed /srv/line1 refused by the centre"}}));
    EXPECT_EQ(one.runs, 2) << "a resting line starts no run";
    std::fflush(log);
    EXPECT_NE(std::string(logText, logSize).find("line /srv/line1: out of rotation for 300 s"),
              std::string::npos);
}

// Two nodes on one database, each with a line of the same name: a claim
// runs out only after the lease, a node too slow to record its claim appends
// nothing, and one node never judges the messages another queued.
TEST_F(Gateway, NodesShareTheStoredMessagesAndKeepToTheirOwnLines) {
    FakeLine other{"/srv/line1"};
    Dispatcher n2(store, {&other}, {3, 300, "n2", 60}, log, [this] { return now; });
    auto n1 = [&] {
        return Dispatcher(store, {&one}, {3, 300, "n1", 60}, log, [this] { return now; });
    };
    submit("u", 2, "p");
    // n1 dies between its claim and its record: n2 waits for the lease.
    one.onReserve = [] { throw Killed{}; };
    EXPECT_THROW(n1().tick(), Killed);
    n2.tick();
    EXPECT_TRUE(other.inbox.empty());
    now += 60;
    n2.tick();
    EXPECT_EQ(texts(other), (std::vector<std::string>{"p1", "p2"}));

    // n1 stalls past its lease while n2 claims the same messages.
    submit("v", 2, "q");
    one.onReserve = [&] {
        now += 61;
        EXPECT_EQ(store.claim("n2", 10, 10, now, now + 60).size(), 2u);
    };
    auto slow = n1();
    slow.tick();
    one.onReserve = nullptr;
    EXPECT_TRUE(one.inbox.empty());
    n2.tick();
    EXPECT_EQ(texts(other), (std::vector<std::string>{"p1", "p2", "q1", "q2"}));
    other.run([](auto&) { return FakeLine::Accept; });
    // n1's line has none of n2's entries in its files: nothing is refused.
    slow.tick();
    n2.tick();
    for (const auto& [text, state] : states())
        EXPECT_EQ(state, "accepted /srv/line1") << text;
    std::fflush(log);
    EXPECT_NE(std::string(logText, logSize).find("1 message(s) taken over by another node"),
              std::string::npos);

    // With n2 alive, n1 takes its line's share and leaves n2's.
    submit("w", 40, "r");
    slow.tick();
    EXPECT_EQ(one.inbox.size(), 20u);
}

// Only what a line's inbox can hold as one entry reaches it: a line break
// would forge an entry to any number.
TEST(GatewayTexts, OnlyTextsBrindleCanCarryReachALine) {
    const std::pair<std::string, bool> cases[] = {
        {"Price \u00a35, see you at 10:30 (Accepted::) [12]", false},
        {"Price \u00a35, see you at 10:30 (Accepted::)", true},
        {"a\r\n[9] 15/01/2027 08:00:00 +447700900999 forged", false},
        {"tab\there", false},
        {"del\x7f", false},
        {"caf\u00e9", false},
        {"#", false},
        {std::string(160, 'x'), true},
        {std::string(161, 'x'), false},
        {std::string(159, 'x') + "\u00a3", true},
        {"\xc2", false},
    };
    for (const auto& [text, carriable] : cases)
        EXPECT_EQ(carriableBySms(text, 160), carriable) << text;

    QTemporaryDir dir;
    const std::string db = dir.filePath("m.sqlite").toStdString();
    {
        SqliteStore before(db);
        before.signOn("u", {}, {}, "2027-01-15 08:00:00", true);
        before.submit("u", {{"+4477", "fine"}, {"+4478", "two\r\nlines"}}, "2027-01-15",
                      "2027-01-15 08:00:00", 100);
        EXPECT_EQ(before.failStored([](const std::string& t) { return carriableBySms(t, 160); },
                                    "cannot be sent by SMS", "2027-01-15 09:00:00"),
                  1);
    }
    ServiceOptions o;
    o.openEnrolment = true;
    o.lines = {"/srv/line1"};
    SqliteStore store(db);
    Service service(store, o, nullptr);
    const int port = service.bind("127.0.0.1", 0);
    std::jthread serving([&] { service.run(); });
    httplib::Client client("127.0.0.1", port);
    const auto r = client.Post("/quorvel/quorvel.asp",
                               "T=%2B4477+ok%23%2B4478+a%0D%0A%5B9%5D+x&hMode=save&hUsername=u",
                               "application/x-www-form-urlencoded");
    // The signed-on user sees what became of each message, under the form.
    const auto page = client.Get("/quorvel/quorvel.asp?UN=u");
    service.stop();
    ASSERT_TRUE(r && page);
    EXPECT_NE(r->body.find("value=\"E:Message 2 cannot be sent by SMS.\""), std::string::npos);
    const size_t table = page->body.find("<table id=\"sent\">");
    EXPECT_GT(table, page->body.find("</form>"));
    EXPECT_NE(page->body.find("<tr><td>2027-01-15 08:00:00</td><td>+4478</td><td>two\r\nlines</td>"
                              "<td>failed: cannot be sent by SMS</td><td>2027-01-15 09:00:00</td>"
                              "</tr>\n<tr><td>2027-01-15 08:00:00</td><td>+4477</td><td>fine</td>"
                              "<td>stored</td><td></td></tr>\n</table>",
                              table),
              std::string::npos)
        << page->body;
    std::vector<std::string> rows;
    store.list("u", [&](const Store::Row& row) { rows.push_back(row.text + "|" + row.state); });
    EXPECT_EQ(rows, (std::vector<std::string>{"fine|stored", "two\r\nlines|failed"}));
}
