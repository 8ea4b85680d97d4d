// The gateway's records of the messages: which line and entry each went to
// and what became of it.
#include "Store.h"
#include "StoreStatement.h"

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
CREATE INDEX IF NOT EXISTS messages_queued ON messages(line, id) WHERE state = 'queued';
CREATE TABLE IF NOT EXISTS lines(
    name TEXT PRIMARY KEY, state TEXT NOT NULL, last_error TEXT NOT NULL, updated TEXT NOT NULL);
)";

} // namespace

bool Store::hasDeliveryColumns() {
    return sqlite3_exec(m_db, "SELECT state FROM messages LIMIT 0", nullptr, nullptr, nullptr) ==
           SQLITE_OK;
}

void Store::migrateMessages() {
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

void Store::prepareDelivery(bool readOnly) {
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
    m_waiting = prepare("SELECT id, user_id, received, number, text FROM ("
                        " SELECT id, user_id, received, number, text,"
                        " ROW_NUMBER() OVER (PARTITION BY user_id ORDER BY id) AS round"
                        " FROM messages WHERE state = 'stored')"
                        " WHERE round <= ?1 ORDER BY round, id LIMIT ?2");
    m_recordQueued =
        prepare("UPDATE messages SET state = 'queued', line = ?2, entry_id = ?3, entry = ?4,"
                " appended = 0, failures = 0, moves = moves + (line IS NOT NULL AND line <> ?2)"
                " WHERE id = ?1 AND state IN ('stored', 'queued')");
    m_appended = prepare("UPDATE messages SET appended = 1 WHERE id = ?1 AND state = 'queued'");
    m_queuedOn = prepare("SELECT id, entry_id, entry, number, text, appended, failures, moves"
                         " FROM messages"
                         " WHERE state = 'queued' AND line = ?1 ORDER BY id");
    m_accepted = prepare("UPDATE messages SET state = 'accepted', done = ?2"
                         " WHERE id = ?1 AND state = 'queued'");
    m_failedRun =
        prepare("UPDATE messages SET failures = failures + 1 WHERE id = ?1 AND state = 'queued'");
    m_failed = prepare("UPDATE messages SET state = 'failed', done = ?2, reason = ?3"
                       " WHERE id = ?1 AND state IN ('stored', 'queued')");
    m_storedTexts = prepare("SELECT id, text FROM messages WHERE state = 'stored' ORDER BY id");
    m_lineCounts = prepare("SELECT line, SUM(state = 'queued'),"
                           " SUM(state = 'accepted' AND done >= ?1) FROM messages"
                           " WHERE line IS NOT NULL GROUP BY line ORDER BY line");
    m_recordLine =
        prepare("INSERT INTO lines(name, state, last_error, updated) VALUES(?1, ?2, ?3, ?4)"
                " ON CONFLICT(name) DO UPDATE SET state = ?2, last_error = ?3,"
                " updated = ?4");
    m_lines = prepare("SELECT name, state, last_error, updated FROM lines ORDER BY name");
}

void Store::latest(const std::string& userId, int count,
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

std::vector<Store::Waiting> Store::waiting(int perUser, int limit) {
    std::vector<Waiting> out;
    onWriter([&] {
        Statement s(m_waiting);
        s.integer(1, perUser).integer(2, limit);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            out.push_back({s.columnInt(0), s.column(1), s.column(2), s.column(3), s.column(4)});
        if (rc != SQLITE_DONE)
            fail("read");
    });
    return out;
}

// All the steps or none, on the disk before the caller goes on: the gateway
// acts on the files only after its record of what it is about to do.
void Store::inTransaction(const std::function<void()>& steps) {
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

void Store::forEachId(sqlite3_stmt* statement, const std::vector<long long>& ids,
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

void Store::recordQueued(const std::vector<Handover>& handovers) {
    inTransaction([&] {
        for (const Handover& h : handovers) {
            Statement s(m_recordQueued);
            s.integer(1, h.id).text(2, h.line).integer(3, h.entryId).text(4, h.entry);
            if (s.step() != SQLITE_DONE)
                fail("write");
        }
    });
}

void Store::recordAppended(const std::vector<long long>& ids) {
    forEachId(m_appended, ids);
}

std::vector<Store::Queued> Store::queuedOn(const std::string& line) {
    std::vector<Queued> out;
    onWriter([&] {
        Statement s(m_queuedOn);
        s.text(1, line);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            out.push_back({s.columnInt(0), s.columnInt(1), s.column(2), s.column(3), s.column(4),
                           s.columnInt(5) != 0, int(s.columnInt(6)), int(s.columnInt(7))});
        if (rc != SQLITE_DONE)
            fail("read");
    });
    return out;
}

void Store::recordAccepted(const std::vector<long long>& ids, const std::string& when) {
    forEachId(m_accepted, ids, [&](Statement& s) { s.text(2, when); });
}

void Store::recordFailedRun(const std::vector<long long>& ids) {
    forEachId(m_failedRun, ids);
}

void Store::recordFailed(const std::vector<long long>& ids, const std::string& reason,
                         const std::string& when) {
    forEachId(m_failed, ids, [&](Statement& s) { s.text(2, when).text(3, reason); });
}

long long Store::failStored(const std::function<bool(const std::string& text)>& carriable,
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

std::vector<std::pair<std::string, Store::LineCounts>> Store::lineCounts(const std::string& since) {
    std::vector<std::pair<std::string, LineCounts>> out;
    onWriter([&] {
        Statement s(m_lineCounts);
        s.text(1, since);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            out.push_back({s.column(0), {s.columnInt(1), s.columnInt(2)}});
        if (rc != SQLITE_DONE)
            fail("read");
    });
    return out;
}

void Store::recordLine(const LineRecord& line) {
    onWriter([&] {
        Statement s(m_recordLine);
        s.text(1, line.name).text(2, line.state).text(3, line.lastError).text(4, line.updated);
        if (s.step() != SQLITE_DONE)
            fail("write");
    });
}

void Store::lines(const std::function<void(const LineRecord&)>& each) {
    onWriter([&] {
        Statement s(m_lines);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            each({s.column(0), s.column(1), s.column(2), s.column(3)});
        if (rc != SQLITE_DONE)
            fail("read");
    });
}
