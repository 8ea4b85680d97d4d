#include "PostgresStore.h"

#include <algorithm>
#include <iterator>

using postgres::Connection;
using postgres::Params;
using postgres::Result;

namespace {

// The schema's versions, forward only; the numbers are the SQLite file's, so
// version 2 is where a PostgreSQL database starts.
struct Migration {
    int version;
    const char* sql;
};
constexpr Migration kMigrations[] = {
    {2, R"(
CREATE TABLE users(
    user_id TEXT PRIMARY KEY, mobile TEXT NOT NULL, email TEXT NOT NULL,
    registered TEXT NOT NULL, updated TEXT NOT NULL, enrolled INTEGER NOT NULL DEFAULT 1);
CREATE TABLE messages(
    id BIGSERIAL PRIMARY KEY, user_id TEXT NOT NULL, received TEXT NOT NULL,
    number TEXT NOT NULL, text TEXT NOT NULL,
    state TEXT NOT NULL DEFAULT 'stored', line TEXT, entry_id BIGINT, entry TEXT,
    appended INTEGER NOT NULL DEFAULT 0, failures INTEGER NOT NULL DEFAULT 0,
    moves INTEGER NOT NULL DEFAULT 0, done TEXT, reason TEXT,
    node TEXT, claimed_by TEXT, claim_until BIGINT NOT NULL DEFAULT 0);
CREATE INDEX messages_user ON messages(user_id, id);
CREATE INDEX messages_stored ON messages(user_id, id) WHERE state = 'stored';
CREATE INDEX messages_queued_on ON messages(node, line, id) WHERE state = 'queued';
CREATE TABLE usage(
    user_id TEXT NOT NULL, day TEXT NOT NULL, sent BIGINT NOT NULL, PRIMARY KEY(user_id, day));
CREATE TABLE tokens(
    user_id TEXT NOT NULL, token TEXT NOT NULL, received TEXT NOT NULL,
    remaining INTEGER NOT NULL, PRIMARY KEY(user_id, token));
CREATE INDEX tokens_received ON tokens(received);
CREATE TABLE lines(
    node TEXT NOT NULL, name TEXT NOT NULL, state TEXT NOT NULL, last_error TEXT NOT NULL,
    updated TEXT NOT NULL, PRIMARY KEY(node, name));
CREATE TABLE nodes(name TEXT PRIMARY KEY, lines TEXT NOT NULL, heartbeat BIGINT NOT NULL);
)"},
};
constexpr int kSchemaVersion = kMigrations[std::size(kMigrations) - 1].version;

// Nodes starting at once take turns at the schema.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7301230001)";

const char* const kVersion = "SELECT COALESCE(MAX(version), 0) FROM schema_version";

const char* const kSignOn =
    "INSERT INTO users(user_id, mobile, email, registered, updated, enrolled)"
    " VALUES($1, COALESCE($2, ''), COALESCE($3, ''), $4, $4, $5)"
    " ON CONFLICT(user_id) DO UPDATE SET mobile = COALESCE($2, users.mobile),"
    " email = COALESCE($3, users.email), updated = $4 RETURNING mobile, email, enrolled";
const char* const kKnows = "SELECT 1 FROM users WHERE user_id = $1";
const char* const kApprove = "UPDATE users SET enrolled = 1 WHERE user_id = $1";
const char* const kRemove = "DELETE FROM users WHERE user_id = $1";
const char* const kAccounts = "SELECT u.user_id, u.mobile, u.email, u.enrolled,"
                              " COALESCE(s.sent, 0) FROM users u LEFT JOIN usage s"
                              " ON s.user_id = u.user_id AND s.day = $1"
                              " ORDER BY u.registered, u.user_id";
const char* const kSent = "SELECT sent FROM usage WHERE user_id = $1 AND day = $2";
// The submission's first step: whether the user may submit; the token taken
// (a second submission with it waits here for the first's verdict; one
// received before $4 counts as new); the day's count raised, its usage row
// locked to the commit so that submissions of one user count in turn. The
// count is -1 when the token was taken before.
const char* const kBegin =
    "WITH enrolled AS (SELECT 1 FROM users WHERE user_id = $1 AND enrolled = 1),"
    " taken AS (INSERT INTO tokens(user_id, token, received, remaining)"
    " SELECT $1, $2, $3, 0 FROM enrolled WHERE $2 <> ''"
    " ON CONFLICT(user_id, token) DO UPDATE SET received = $3, remaining = 0"
    " WHERE tokens.received < $4 RETURNING 1),"
    " counted AS (INSERT INTO usage(user_id, day, sent) SELECT $1, $5, $6 FROM enrolled"
    " WHERE $2 = '' OR EXISTS (SELECT 1 FROM taken)"
    " ON CONFLICT(user_id, day) DO UPDATE SET sent = usage.sent + $6 RETURNING sent)"
    " SELECT EXISTS (SELECT 1 FROM enrolled), COALESCE((SELECT sent FROM counted), -1)";
const char* const kTokenVerdict = "SELECT remaining FROM tokens WHERE user_id = $1 AND token = $2";
const char* const kStore = "WITH stored AS (INSERT INTO messages(user_id, received, number, text)"
                           " SELECT $1, $2, n, t FROM unnest($3::text[], $4::text[])"
                           " WITH ORDINALITY AS m(n, t, o) ORDER BY o)"
                           " UPDATE tokens SET remaining = $6 WHERE user_id = $1 AND token = $5";
// Only for the room: a token older than the week is taken as new anyway.
const char* const kForgetTokens = "DELETE FROM tokens WHERE received < $1";

#define ROW_COLUMNS                                                                                \
    "received, user_id, number, text, state, COALESCE(line, ''), COALESCE(entry_id, 0),"           \
    " COALESCE(done, ''), COALESCE(reason, '')"
const char* const kList = "SELECT " ROW_COLUMNS " FROM messages"
                          " WHERE $1::text IS NULL OR user_id = $1 ORDER BY id";
const char* const kLatest =
    "SELECT " ROW_COLUMNS " FROM messages WHERE user_id = $1 ORDER BY id DESC LIMIT $2";

} // namespace

PostgresStore::PostgresStore(const std::string& url, bool readOnly) : m_pool(url, readOnly) {
    m_pool.with([&](Connection& c) { migrate(c); });
}

void PostgresStore::migrate(Connection& c) {
    const auto refuseNewer = [](long long version) {
        if (version > kSchemaVersion)
            throw Error("database schema " + std::to_string(version) +
                        " is newer than this program's (" + std::to_string(kSchemaVersion) + ")");
    };
    const auto versioned = [&] {
        return c.run("SELECT to_regclass('schema_version') IS NOT NULL").text(0, 0) == "t";
    };
    if (c.readOnly()) {
        // A listing changes nothing; a database no node has set up has nothing to list.
        if (versioned())
            refuseNewer(c.run(kVersion).integer(0, 0));
        return;
    }
    c.transaction([&] {
        c.run(kMigrationLock);
        // Only when missing: a role without CREATE may run a database set up before.
        if (!versioned())
            c.exec("CREATE TABLE schema_version(version INTEGER NOT NULL)");
        const long long version = c.run(kVersion).integer(0, 0);
        refuseNewer(version);
        for (const Migration& m : kMigrations) {
            if (m.version <= version)
                continue;
            c.exec(m.sql);
            c.run("DELETE FROM schema_version");
            c.run("INSERT INTO schema_version(version) VALUES($1)", Params().integer(m.version));
        }
        return true;
    });
}

PostgresStore::User PostgresStore::signOn(const std::string& userId,
                                          const std::optional<std::string>& mobile,
                                          const std::optional<std::string>& email,
                                          const std::string& now, bool enrol) {
    const Result r = m_pool.run(
        kSignOn, Params().text(userId).optionalText(mobile).optionalText(email).text(now).integer(
                     enrol ? 1 : 0));
    return {r.text(0, 0), r.text(0, 1), r.integer(0, 2) != 0};
}

bool PostgresStore::knows(const std::string& userId) {
    return m_pool.run(kKnows, Params().text(userId)).rows() > 0;
}

bool PostgresStore::approve(const std::string& userId) {
    return m_pool.run(kApprove, Params().text(userId)).changed() > 0;
}

bool PostgresStore::remove(const std::string& userId) {
    return m_pool.run(kRemove, Params().text(userId)).changed() > 0;
}

void PostgresStore::accounts(const std::string& day,
                             const std::function<void(const Account&)>& each) {
    const Result r = m_pool.run(kAccounts, Params().text(day));
    for (int i = 0; i < r.rows(); ++i)
        each({r.text(i, 0), r.text(i, 1), r.text(i, 2), r.integer(i, 3) != 0, r.integer(i, 4)});
}

int PostgresStore::remaining(const std::string& userId, const std::string& day, int allowance) {
    const Result r = m_pool.run(kSent, Params().text(userId).text(day));
    const long long sent = r.rows() ? r.integer(0, 0) : 0;
    return static_cast<int>(std::max<long long>(0, allowance - sent));
}

PostgresStore::Outcome PostgresStore::submit(const std::string& userId,
                                             const std::vector<Message>& messages,
                                             const std::string& day, const std::string& now,
                                             int allowance, const std::string& token,
                                             const std::string& keepTokensFrom) {
    Outcome outcome{};
    const auto n = static_cast<long long>(messages.size());
    m_pool.with([&](Connection& c) {
        const bool committed = c.transaction([&] {
            const Result begun = c.run(kBegin, Params()
                                                   .text(userId)
                                                   .text(token)
                                                   .text(now)
                                                   .text(keepTokensFrom)
                                                   .text(day)
                                                   .integer(n));
            if (begun.text(0, 0) != "t") {
                outcome = {Outcome::UnknownUser, 0};
                return false;
            }
            const long long sent = begun.integer(0, 1);
            if (sent < 0) {
                const Result seen = c.run(kTokenVerdict, Params().text(userId).text(token));
                outcome = {Outcome::Repeated, static_cast<int>(seen.integer(0, 0))};
                return false;
            }
            const long long left = std::max<long long>(0, allowance - (sent - n));
            if (n > left) {
                outcome = {Outcome::OverAllowance, static_cast<int>(left)};
                return false;
            }
            std::vector<std::string> numbers, texts;
            for (const Message& m : messages) {
                numbers.push_back(m.number);
                texts.push_back(m.text);
            }
            c.run(kStore,
                  Params().text(userId).text(now).texts(numbers).texts(texts).text(token).integer(
                      left - n));
            outcome = {Outcome::Accepted, static_cast<int>(left - n)};
            return true;
        });
        ++m_submissions;
        m_commits += committed;
        forgetTokens(c, keepTokensFrom);
    });
    return outcome;
}

// Once an hour at most: each time would be a statement more per submission.
void PostgresStore::forgetTokens(Connection& c, const std::string& before) {
    {
        std::lock_guard lock(m_forgotMutex);
        if (before.empty() || before.substr(0, 13) == m_forgotHour)
            return;
        m_forgotHour = before.substr(0, 13);
    }
    // The submission is committed: its answer must not become an error now.
    try {
        c.run(kForgetTokens, Params().text(before));
    } catch (const Error&) {
        std::lock_guard lock(m_forgotMutex);
        m_forgotHour.clear();
    }
}

void PostgresStore::rows(const Result& r, const std::function<void(const Row&)>& each) {
    for (int i = 0; i < r.rows(); ++i)
        each({r.text(i, 0), r.text(i, 1), r.text(i, 2), r.text(i, 3), r.text(i, 4), r.text(i, 5),
              r.integer(i, 6), r.text(i, 7), r.text(i, 8)});
}

void PostgresStore::list(const std::string& userId, const std::function<void(const Row&)>& each) {
    rows(m_pool.run(kList,
                    Params().optionalText(userId.empty() ? std::nullopt : std::optional(userId))),
         each);
}

void PostgresStore::latest(const std::string& userId, int count,
                           const std::function<void(const Row&)>& each) {
    rows(m_pool.run(kLatest, Params().text(userId).integer(count)), each);
}
