// The gateway's records of the messages: which line and entry each went to
// and what became of it.
#include "SqliteStatement.h"
#include "SqliteStore.h"

#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>

namespace {

// A message is stored, then queued on a line (appended once its entry is in
// the line's inbox), then accepted or failed. A file of an earlier version
// gains the columns with every message it holds stored.
const char* const kDeliveryColumns[] = {
    "state TEXT NOT NULL DEFAULT 'stored'",
    "line TEXT",
    "entry_id INTEGER",
    "entry TEXT",
    "appended INTEGER NOT NULL DEFAULT 0",
    "failures INTEGER NOT NULL DEFAULT 0",
    "moves INTEGER NOT NULL DEFAULT 0",
    "done TEXT",
    "reason TEXT",
};

const char* const kDeliveryIndexes = R"(
CREATE INDEX IF NOT EXISTS messages_stored ON messages(user_id, id) WHERE state = 'stored';
)";

// The schema's versions after the first, forward only: step n brings a file
// of version n + 1 to n + 2, in one transaction with the new number.
const char* const kMigrations[] = {
    // Nodes: each message is claimed by a node, then queued on one of its lines.
    R"(
ALTER TABLE messages ADD COLUMN node TEXT;
ALTER TABLE messages ADD COLUMN claimed_by TEXT;
ALTER TABLE messages ADD COLUMN claim_until INTEGER NOT NULL DEFAULT 0;
DROP INDEX IF EXISTS messages_queued;
CREATE INDEX messages_queued_on ON messages(node, line, id) WHERE state = 'queued';
DROP TABLE IF EXISTS lines;
CREATE TABLE lines(
    node TEXT NOT NULL, name TEXT NOT NULL, state TEXT NOT NULL, last_error TEXT NOT NULL,
    updated TEXT NOT NULL, PRIMARY KEY(node, name));
CREATE TABLE nodes(name TEXT PRIMARY KEY, lines TEXT NOT NULL, heartbeat INTEGER NOT NULL);
)",
};
constexpr int kSchemaVersion = 1 + int(std::size(kMigrations));

} // namespace

bool SqliteStore::hasDeliveryColumns() {
    return sqlite3_exec(m_db, "SELECT state FROM messages LIMIT 0", nullptr, nullptr, nullptr) ==
           SQLITE_OK;
}

void SqliteStore::migrateMessages() {
    if (!hasDeliveryColumns()) {
        exec("BEGIN IMMEDIATE");
        try {
            for (const char* column : kDeliveryColumns)
                exec(("ALTER TABLE messages ADD COLUMN " + std::string(column)).c_str());
            exec("COMMIT");
        } catch (...) {
            rollback();
            throw;
        }
    }
    exec(kDeliveryIndexes);
}

// A file from before the schema had versions is brought to version 1 by
// looking at what it has; every later step is numbered.
void SqliteStore::migrate() {
    exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
    long long version = 0;
    {
        Statement s(prepare("SELECT MAX(version) FROM schema_version"));
        if (s.step() == SQLITE_ROW)
            version = s.columnInt(0);
    }
    if (version > kSchemaVersion)
        throw Error("database schema " + std::to_string(version) +
                    " is newer than this program's (" + std::to_string(kSchemaVersion) + ")");
    if (version < 1) {
        // The users of a file of an earlier version stay enrolled.
        if (sqlite3_exec(m_db, "SELECT enrolled FROM users LIMIT 0", nullptr, nullptr, nullptr) !=
            SQLITE_OK)
            exec("ALTER TABLE users ADD COLUMN enrolled INTEGER NOT NULL DEFAULT 1");
        migrateMessages();
        exec("INSERT INTO schema_version(version) VALUES(1)");
        version = 1;
    }
    // Read again under the write lock: another process may be migrating too.
    for (bool done = false; !done;) {
        exec("BEGIN IMMEDIATE");
        try {
            Statement s(prepare("SELECT MAX(version) FROM schema_version"));
            version = s.step() == SQLITE_ROW ? s.columnInt(0) : 0;
            done = version >= kSchemaVersion;
            if (!done) {
                exec(kMigrations[version - 1]);
                exec(
                    ("UPDATE schema_version SET version = " + std::to_string(version + 1)).c_str());
            }
            exec("COMMIT");
        } catch (...) {
            rollback();
            throw;
        }
    }
}

void SqliteStore::prepareDelivery(bool readOnly) {
    const std::string columns = kRowColumns;
    // A listing of a file no gateway has opened yet: every message is stored.
    const std::string list =
        hasDeliveryColumns()
            ? "SELECT " + columns + " FROM messages WHERE ?1 IS NULL OR user_id = ?1 ORDER BY id"
            : "SELECT received, user_id, number, text, 'stored', '', 0, '', '' FROM messages"
              " WHERE ?1 IS NULL OR user_id = ?1 ORDER BY id";
    m_list = prepare(list.c_str());
    if (readOnly)
        return;
    m_latest = prepare(
        ("SELECT " + columns + " FROM messages WHERE user_id = ?1 ORDER BY id DESC LIMIT ?2")
            .c_str());
    m_claimable = prepare("SELECT id, user_id, received, number, text FROM ("
                          " SELECT id, user_id, received, number, text,"
                          " ROW_NUMBER() OVER (PARTITION BY user_id ORDER BY id) AS round"
                          " FROM messages WHERE state = 'stored'"
                          " AND (claimed_by IS NULL OR claimed_by = ?3 OR claim_until <= ?4))"
                          " WHERE round <= ?1 ORDER BY round, id LIMIT ?2");
    m_claim = prepare("UPDATE messages SET claimed_by = ?2, claim_until = ?3 WHERE id = ?1");
    m_recordQueued = prepare(
        "UPDATE messages SET state = 'queued', node = ?5, line = ?2, entry_id = ?3, entry = ?4,"
        " appended = 0, failures = 0, moves = moves + (line IS NOT NULL AND line <> ?2),"
        " claimed_by = NULL, claim_until = 0"
        " WHERE id = ?1 AND ((state = 'stored' AND claimed_by = ?5)"
        " OR (state = 'queued' AND node = ?5))");
    m_appended = prepare("UPDATE messages SET appended = 1 WHERE id = ?1 AND state = 'queued'");
    m_queuedOn = prepare("SELECT id, entry_id, entry, number, text, appended, failures, moves"
                         " FROM messages"
                         " WHERE state = 'queued' AND node = ?1 AND line = ?2 ORDER BY id");
    m_accepted = prepare("UPDATE messages SET state = 'accepted', done = ?2"
                         " WHERE id = ?1 AND state = 'queued'");
    m_failedRun =
        prepare("UPDATE messages SET failures = failures + 1 WHERE id = ?1 AND state = 'queued'");
    m_failed = prepare("UPDATE messages SET state = 'failed', done = ?2, reason = ?3"
                       " WHERE id = ?1 AND state IN ('stored', 'queued')");
    m_storedTexts = prepare("SELECT id, text FROM messages WHERE state = 'stored' ORDER BY id");
    m_lineCounts = prepare("SELECT line, SUM(state = 'queued'),"
                           " SUM(state = 'accepted' AND done >= ?2) FROM messages"
                           " WHERE node = ?1 AND line IS NOT NULL GROUP BY line ORDER BY line");
    m_recordLine = prepare(
        "INSERT INTO lines(node, name, state, last_error, updated) VALUES(?1, ?2, ?3, ?4, ?5)"
        " ON CONFLICT(node, name) DO UPDATE SET state = ?3, last_error = ?4, updated = ?5");
    m_lines =
        prepare("SELECT name, state, last_error, updated FROM lines WHERE node = ?1 ORDER BY name");
    m_heartbeat = prepare("INSERT INTO nodes(name, lines, heartbeat) VALUES(?1, ?2, ?3)"
                          " ON CONFLICT(name) DO UPDATE SET lines = ?2, heartbeat = ?3");
    m_nodes =
        prepare("SELECT n.name, n.lines, n.heartbeat,"
                " (SELECT COUNT(*) FROM messages WHERE state = 'stored' AND claimed_by = n.name),"
                " (SELECT COUNT(*) FROM messages WHERE state = 'queued' AND node = n.name),"
                " (SELECT COUNT(*) FROM messages WHERE state = 'accepted' AND node = n.name"
                " AND done >= ?1) FROM nodes n ORDER BY n.name");
    m_forgetQueued = prepare("UPDATE messages SET state = 'unknown', done = ?3, reason = ?2"
                             " WHERE state = 'queued' AND node = ?1");
    m_forgetClaims = prepare("UPDATE messages SET claimed_by = NULL, claim_until = 0"
                             " WHERE state = 'stored' AND claimed_by = ?1");
    m_forgetNode = prepare("DELETE FROM nodes WHERE name = ?1");
    m_forgetLines = prepare("DELETE FROM lines WHERE node = ?1");
    m_storedCount = prepare("SELECT COUNT(*) FROM messages WHERE state = 'stored'");
    m_liveLines = prepare("SELECT lines FROM nodes WHERE heartbeat >= ?1 AND name <> ?2");
    m_adopt = prepare("UPDATE messages SET node = ?1 WHERE node IS NULL AND line IS NOT NULL");
}

void SqliteStore::latest(const std::string& userId, int count,
                         const std::function<void(const Row&)>& each) {
    onWriter([&] {
        Statement s(m_latest);
        s.text(1, userId).integer(2, count);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            each(s.row());
        if (rc != SQLITE_DONE)
            fail("read");
    });
}

// One transaction: the messages read are the messages claimed, whatever
// another process does meanwhile.
std::vector<SqliteStore::Waiting> SqliteStore::claim(const std::string& node, int perUser,
                                                     int limit, long long now,
                                                     long long leaseUntil) {
    std::vector<Waiting> out;
    inTransaction([&] {
        {
            Statement s(m_claimable);
            s.integer(1, perUser).integer(2, limit).text(3, node).integer(4, now);
            int rc;
            while ((rc = s.step()) == SQLITE_ROW)
                out.push_back({s.columnInt(0), s.column(1), s.column(2), s.column(3), s.column(4)});
            if (rc != SQLITE_DONE)
                fail("read");
        }
        for (const Waiting& w : out) {
            Statement s(m_claim);
            if (s.integer(1, w.id).text(2, node).integer(3, leaseUntil).step() != SQLITE_DONE)
                fail("write");
        }
    });
    return out;
}

// All the steps or none, on the disk before the caller goes on: the gateway
// acts on the files only after its record of what it is about to do.
void SqliteStore::inTransaction(const std::function<void()>& steps) {
    onWriter([&] {
        if (Statement(m_begin).step() != SQLITE_DONE)
            fail("begin");
        try {
            steps();
        } catch (...) {
            rollback();
            throw;
        }
        if (Statement(m_commit).step() != SQLITE_DONE) {
            rollback();
            fail("commit");
        }
    });
}

void SqliteStore::forEachId(sqlite3_stmt* statement, const std::vector<long long>& ids,
                            const std::function<void(Statement&)>& bind) {
    inTransaction([&] {
        for (long long id : ids) {
            Statement s(statement);
            s.integer(1, id);
            if (bind)
                bind(s);
            if (s.step() != SQLITE_DONE)
                fail("write");
        }
    });
}

std::vector<long long> SqliteStore::recordQueued(const std::string& node,
                                                 const std::vector<Handover>& handovers) {
    std::vector<long long> recorded;
    inTransaction([&] {
        recorded.clear(); // a retried transaction starts again
        for (const Handover& h : handovers) {
            Statement s(m_recordQueued);
            s.integer(1, h.id).text(2, h.line).integer(3, h.entryId).text(4, h.entry);
            if (s.text(5, node).step() != SQLITE_DONE)
                fail("write");
            if (sqlite3_changes(m_db) > 0)
                recorded.push_back(h.id);
        }
    });
    return recorded;
}

void SqliteStore::recordAppended(const std::vector<long long>& ids) {
    forEachId(m_appended, ids);
}

std::vector<SqliteStore::Queued> SqliteStore::queuedOn(const std::string& node,
                                                       const std::string& line) {
    std::vector<Queued> out;
    onWriter([&] {
        Statement s(m_queuedOn);
        s.text(1, node).text(2, line);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            out.push_back({s.columnInt(0), s.columnInt(1), s.column(2), s.column(3), s.column(4),
                           s.columnInt(5) != 0, int(s.columnInt(6)), int(s.columnInt(7))});
        if (rc != SQLITE_DONE)
            fail("read");
    });
    return out;
}

void SqliteStore::recordAccepted(const std::vector<long long>& ids, const std::string& when) {
    forEachId(m_accepted, ids, [&](Statement& s) { s.text(2, when); });
}

void SqliteStore::recordFailedRun(const std::vector<long long>& ids) {
    forEachId(m_failedRun, ids);
}

void SqliteStore::recordFailed(const std::vector<long long>& ids, const std::string& reason,
                               const std::string& when) {
    forEachId(m_failed, ids, [&](Statement& s) { s.text(2, when).text(3, reason); });
}

long long SqliteStore::failStored(const std::function<bool(const std::string& text)>& carriable,
                                  const std::string& reason, const std::string& when) {
    std::vector<long long> refused;
    onWriter([&] {
        Statement s(m_storedTexts);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            if (!carriable(s.column(1)))
                refused.push_back(s.columnInt(0));
        if (rc != SQLITE_DONE)
            fail("read");
    });
    if (!refused.empty())
        recordFailed(refused, reason, when);
    return static_cast<long long>(refused.size());
}

std::vector<std::pair<std::string, SqliteStore::LineCounts>>
SqliteStore::lineCounts(const std::string& node, const std::string& since) {
    std::vector<std::pair<std::string, LineCounts>> out;
    onWriter([&] {
        Statement s(m_lineCounts);
        s.text(1, node).text(2, since);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            out.push_back({s.column(0), {s.columnInt(1), s.columnInt(2)}});
        if (rc != SQLITE_DONE)
            fail("read");
    });
    return out;
}

void SqliteStore::recordLine(const std::string& node, const LineRecord& line) {
    onWriter([&] {
        Statement s(m_recordLine);
        s.text(1, node).text(2, line.name).text(3, line.state).text(4, line.lastError);
        if (s.text(5, line.updated).step() != SQLITE_DONE)
            fail("write");
    });
}

void SqliteStore::lines(const std::string& node,
                        const std::function<void(const LineRecord&)>& each) {
    onWriter([&] {
        Statement s(m_lines);
        s.text(1, node);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            each({s.column(0), s.column(1), s.column(2), s.column(3)});
        if (rc != SQLITE_DONE)
            fail("read");
    });
}

void SqliteStore::heartbeat(const std::string& node, const std::string& lines, long long now) {
    onWriter([&] {
        Statement s(m_heartbeat);
        if (s.text(1, node).text(2, lines).integer(3, now).step() != SQLITE_DONE)
            fail("write");
    });
}

void SqliteStore::nodes(const std::string& since,
                        const std::function<void(const NodeRecord&)>& each) {
    onWriter([&] {
        Statement s(m_nodes);
        s.text(1, since);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            each({s.column(0), s.column(1), s.columnInt(2), s.columnInt(3), s.columnInt(4),
                  s.columnInt(5)});
        if (rc != SQLITE_DONE)
            fail("read");
    });
}

long long SqliteStore::forgetNode(const std::string& node, const std::string& reason,
                                  const std::string& when) {
    long long unknown = 0;
    inTransaction([&] {
        if (Statement(m_forgetQueued).text(1, node).text(2, reason).text(3, when).step() !=
            SQLITE_DONE)
            fail("write");
        unknown = sqlite3_changes(m_db);
        for (sqlite3_stmt* statement : {m_forgetClaims, m_forgetNode, m_forgetLines})
            if (Statement(statement).text(1, node).step() != SQLITE_DONE)
                fail("write");
    });
    return unknown;
}

SqliteStore::Backlog SqliteStore::backlog(const std::string& node, long long aliveSince) {
    Backlog b;
    onWriter([&] {
        Statement stored(m_storedCount);
        if (stored.step() != SQLITE_ROW)
            fail("read");
        b.stored = stored.columnInt(0);
        Statement lines(m_liveLines);
        lines.integer(1, aliveSince).text(2, node);
        int rc;
        while ((rc = lines.step()) == SQLITE_ROW) {
            std::istringstream names(lines.column(0));
            for (std::string name; std::getline(names, name);)
                b.otherLines += name.empty() ? 0 : 1;
        }
        if (rc != SQLITE_DONE)
            fail("read");
    });
    return b;
}

void SqliteStore::adoptUnowned(const std::string& node) {
    onWriter([&] {
        if (Statement(m_adopt).text(1, node).step() != SQLITE_DONE)
            fail("write");
    });
}
