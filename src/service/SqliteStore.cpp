#include "SqliteStore.h"
#include "SqliteStatement.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

// Submissions that share one commit at most.
constexpr size_t kMaxGroup = 256;

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS users(
    user_id TEXT PRIMARY KEY, mobile TEXT NOT NULL, email TEXT NOT NULL,
    registered TEXT NOT NULL, updated TEXT NOT NULL, enrolled INTEGER NOT NULL DEFAULT 1);
CREATE TABLE IF NOT EXISTS messages(
    id INTEGER PRIMARY KEY, user_id TEXT NOT NULL, received TEXT NOT NULL,
    number TEXT NOT NULL, text TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS messages_user ON messages(user_id, id);
CREATE TABLE IF NOT EXISTS usage(
    user_id TEXT NOT NULL, day TEXT NOT NULL, sent INTEGER NOT NULL,
    PRIMARY KEY(user_id, day));
CREATE TABLE IF NOT EXISTS tokens(
    user_id TEXT NOT NULL, token TEXT NOT NULL, received TEXT NOT NULL,
    remaining INTEGER NOT NULL, PRIMARY KEY(user_id, token));
CREATE INDEX IF NOT EXISTS tokens_received ON tokens(received);
)";

} // namespace

SqliteStore::SqliteStore(const std::string& path, bool readOnly) {
    // A listing beside the running service opens the file for writing where it
    // may (never creating it), so it takes part in the log's locking fully.
    int flags = SQLITE_OPEN_READWRITE | (readOnly ? 0 : SQLITE_OPEN_CREATE);
    int rc = sqlite3_open_v2(path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_CANTOPEN && readOnly) {
        sqlite3_close(m_db);
        m_db = nullptr;
        rc = sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    }
    if (rc != SQLITE_OK) {
        std::string why = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw Error("cannot open " + path + ": " + why);
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    try {
        if (!readOnly) {
            exec("PRAGMA journal_mode=WAL");
            // Every commit is on the disk before its answer leaves: an
            // accepted submission survives a power cut.
            exec("PRAGMA synchronous=FULL");
            exec(kSchema);
            migrate();
        }
        m_begin = prepare("BEGIN IMMEDIATE");
        m_commit = prepare("COMMIT");
        m_rollback = prepare("ROLLBACK");
        m_savepoint = prepare("SAVEPOINT submission");
        m_rollbackTo = prepare("ROLLBACK TO submission");
        m_release = prepare("RELEASE submission");
        prepareDelivery(readOnly);

        if (!readOnly) {
            m_signOn =
                prepare("INSERT INTO users(user_id, mobile, email, registered, updated, enrolled)"
                        " VALUES(?1, COALESCE(?2, ''), COALESCE(?3, ''), ?4, ?4, ?5)"
                        " ON CONFLICT(user_id) DO UPDATE SET mobile = COALESCE(?2, mobile),"
                        " email = COALESCE(?3, email), updated = ?4"
                        " RETURNING mobile, email, enrolled");
            m_userExists = prepare("SELECT 1 FROM users WHERE user_id = ?1 AND enrolled = 1");
            m_knows = prepare("SELECT 1 FROM users WHERE user_id = ?1");
            m_approve = prepare("UPDATE users SET enrolled = 1 WHERE user_id = ?1");
            m_remove = prepare("DELETE FROM users WHERE user_id = ?1");
            m_accounts = prepare("SELECT u.user_id, u.mobile, u.email, u.enrolled,"
                                 " COALESCE(s.sent, 0) FROM users u LEFT JOIN usage s"
                                 " ON s.user_id = u.user_id AND s.day = ?1"
                                 " ORDER BY u.registered, u.user_id");
            m_sent = prepare("SELECT sent FROM usage WHERE user_id = ?1 AND day = ?2");
            m_insert = prepare(
                "INSERT INTO messages(user_id, received, number, text) VALUES(?1, ?2, ?3, ?4)");
            m_findToken = prepare("SELECT remaining FROM tokens WHERE user_id = ?1 AND token = ?2");
            m_addToken = prepare(
                "INSERT INTO tokens(user_id, token, received, remaining) VALUES(?1, ?2, ?3, ?4)");
            m_forgetTokens = prepare("DELETE FROM tokens WHERE received < ?1");
            m_addSent = prepare("INSERT INTO usage(user_id, day, sent) VALUES(?1, ?2, ?3)"
                                " ON CONFLICT(user_id, day) DO UPDATE SET sent = sent + ?3");
        }
        if (!readOnly) {
            startCheckpointer(path);
            m_writer = std::thread([this] { writerLoop(); });
        }
    } catch (...) {
        for (auto s : m_statements)
            sqlite3_finalize(s);
        sqlite3_close(m_checkpointDb);
        sqlite3_close(m_db);
        throw;
    }
}

SqliteStore::~SqliteStore() {
    if (m_checkpointer.joinable()) {
        {
            std::lock_guard lock(m_checkpointMutex);
            m_stopping = true;
        }
        m_checkpointWanted.notify_one();
        m_checkpointer.join();
    }
    if (m_writer.joinable()) {
        {
            std::lock_guard lock(m_queueMutex);
            m_stopWriter = true;
        }
        m_queueWanted.notify_one();
        m_writer.join();
    }
    sqlite3_close(m_checkpointDb);
    for (auto s : m_statements)
        sqlite3_finalize(s);
    sqlite3_close(m_db);
}

sqlite3_stmt* SqliteStore::prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        fail("prepare");
    m_statements.push_back(s);
    return s;
}

void SqliteStore::exec(const char* sql) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("set-up");
}

void SqliteStore::fail(const char* what) {
    throw Error(std::string("database ") + what + ": " + sqlite3_errmsg(m_db));
}

void SqliteStore::rollback() {
    Statement(m_rollback).step();
}

SqliteStore::User SqliteStore::signOn(const std::string& userId,
                                      const std::optional<std::string>& mobile,
                                      const std::optional<std::string>& email,
                                      const std::string& now, bool enrol) {
    User user;
    onWriter([&] {
        Statement s(m_signOn);
        s.text(1, userId).optionalText(2, mobile).optionalText(3, email).text(4, now);
        if (s.integer(5, enrol ? 1 : 0).step() != SQLITE_ROW)
            fail("sign-on");
        user = {s.column(0), s.column(1), s.columnInt(2) != 0};
        if (s.step() != SQLITE_DONE)
            fail("sign-on");
    });
    return user;
}

bool SqliteStore::knows(const std::string& userId) {
    int rc = 0;
    onWriter([&] { rc = Statement(m_knows).text(1, userId).step(); });
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail("read");
    return rc == SQLITE_ROW;
}

bool SqliteStore::approve(const std::string& userId) {
    return changeUser(m_approve, userId);
}

// The user goes; what the user sent stays, for the record.
bool SqliteStore::remove(const std::string& userId) {
    return changeUser(m_remove, userId);
}

bool SqliteStore::changeUser(sqlite3_stmt* statement, const std::string& userId) {
    bool changed = false;
    onWriter([&] {
        if (Statement(statement).text(1, userId).step() != SQLITE_DONE)
            fail("write");
        changed = sqlite3_changes(m_db) > 0;
    });
    return changed;
}

void SqliteStore::accounts(const std::string& day,
                           const std::function<void(const Account&)>& each) {
    onWriter([&] {
        Statement s(m_accounts);
        s.text(1, day);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            each({s.column(0), s.column(1), s.column(2), s.columnInt(3) != 0, s.columnInt(4)});
        if (rc != SQLITE_DONE)
            fail("read");
    });
}

// Messages the user stored on that day; on the writer's thread only.
long long SqliteStore::sentOn(const std::string& userId, const std::string& day) {
    Statement s(m_sent);
    int rc = s.text(1, userId).text(2, day).step();
    if (rc == SQLITE_ROW)
        return s.columnInt(0);
    if (rc != SQLITE_DONE)
        fail("read");
    return 0;
}

int SqliteStore::remaining(const std::string& userId, const std::string& day, int allowance) {
    long long sent = 0;
    onWriter([&] { sent = sentOn(userId, day); });
    return static_cast<int>(std::max<long long>(0, allowance - sent));
}

SqliteStore::Outcome SqliteStore::submit(const std::string& userId,
                                         const std::vector<Message>& messages,
                                         const std::string& day, const std::string& now,
                                         int allowance, const std::string& token,
                                         const std::string& keepTokensFrom) {
    Outcome outcome{};
    inGroupCommit([&] {
        if (!keepTokensFrom.empty() &&
            Statement(m_forgetTokens).text(1, keepTokensFrom).step() != SQLITE_DONE)
            fail("delete");
        outcome = submitInTransaction(userId, messages, day, now, allowance, token);
        return outcome.kind == Outcome::Accepted;
    });
    return outcome;
}

SqliteStore::Outcome SqliteStore::submitInTransaction(const std::string& userId,
                                                      const std::vector<Message>& messages,
                                                      const std::string& day,
                                                      const std::string& now, int allowance,
                                                      const std::string& token) {
    {
        Statement exists(m_userExists);
        int rc = exists.text(1, userId).step();
        if (rc == SQLITE_DONE)
            return {Outcome::UnknownUser, 0};
        if (rc != SQLITE_ROW)
            fail("read");
    }
    if (!token.empty()) {
        Statement seen(m_findToken);
        int rc = seen.text(1, userId).text(2, token).step();
        if (rc == SQLITE_ROW)
            return {Outcome::Repeated, static_cast<int>(seen.columnInt(0))};
        if (rc != SQLITE_DONE)
            fail("read");
    }
    long long left = std::max<long long>(0, allowance - sentOn(userId, day));
    auto n = static_cast<long long>(messages.size());
    if (n > left)
        return {Outcome::OverAllowance, static_cast<int>(left)};
    for (const auto& m : messages) {
        Statement ins(m_insert);
        if (ins.text(1, userId).text(2, now).text(3, m.number).text(4, m.text).step() !=
            SQLITE_DONE)
            fail("insert");
    }
    Statement up(m_addSent);
    if (up.text(1, userId).text(2, day).integer(3, n).step() != SQLITE_DONE)
        fail("insert");
    if (!token.empty()) {
        Statement keep(m_addToken);
        if (keep.text(1, userId).text(2, token).text(3, now).integer(4, left - n).step() !=
            SQLITE_DONE)
            fail("insert");
    }
    return {Outcome::Accepted, static_cast<int>(left - n)};
}

void SqliteStore::list(const std::string& userId, const std::function<void(const Row&)>& each) {
    onWriter([&] {
        Statement s(m_list);
        if (!userId.empty())
            s.text(1, userId);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW)
            each(s.row());
        if (rc != SQLITE_DONE)
            fail("read");
    });
}

// Every use of the connection runs on one thread, in the order asked: a
// writer never overtakes another, and the thread stays busy while work waits.
void SqliteStore::onWriter(const std::function<void()>& work) {
    if (!m_writer.joinable()) {
        work();
        return;
    }
    Job job;
    job.work = work;
    runOnWriter(job);
}

void SqliteStore::inGroupCommit(const std::function<bool()>& submission) {
    Job job;
    job.submission = submission;
    if (!m_writer.joinable()) {
        commitTogether({&job});
        if (job.error)
            std::rethrow_exception(job.error);
        return;
    }
    runOnWriter(job);
}

void SqliteStore::runOnWriter(Job& job) {
    std::unique_lock lock(m_queueMutex);
    m_queue.push_back(&job);
    m_queueWanted.notify_one();
    job.finished.wait(lock, [&] { return job.done; });
    if (job.error)
        std::rethrow_exception(job.error);
}

void SqliteStore::writerLoop() {
    for (;;) {
        std::vector<Job*> group;
        {
            std::unique_lock lock(m_queueMutex);
            m_queueWanted.wait(lock, [this] { return !m_queue.empty() || m_stopWriter; });
            if (m_queue.empty())
                return;
            // The submissions waiting now share one commit, so one sync of
            // the disk answers them all.
            do {
                group.push_back(m_queue.front());
                m_queue.pop_front();
            } while (group.front()->submission && group.size() < kMaxGroup && !m_queue.empty() &&
                     m_queue.front()->submission);
        }
        if (group.front()->submission) {
            commitTogether(group);
        } else {
            try {
                group.front()->work();
            } catch (...) {
                group.front()->error = std::current_exception();
            }
        }
        std::lock_guard lock(m_queueMutex); // the jobs live on their callers' stacks
        for (Job* job : group) {
            job->done = true;
            job->finished.notify_one();
        }
    }
}

// Each submission keeps all it wrote or none of it (a savepoint of its own);
// none is answered before the commit that holds them all is on the disk,
// and if that commit fails, every one of them fails.
void SqliteStore::commitTogether(const std::vector<Job*>& group) {
    const auto failAll = [&] {
        const auto error =
            std::make_exception_ptr(Error(std::string("database commit: ") + sqlite3_errmsg(m_db)));
        for (Job* job : group)
            job->error = error;
    };
    if (Statement(m_begin).step() != SQLITE_DONE)
        return failAll();
    for (Job* job : group) {
        if (Statement(m_savepoint).step() != SQLITE_DONE) {
            job->error = std::make_exception_ptr(Error("database savepoint"));
            continue;
        }
        bool keep = false;
        try {
            keep = job->submission();
        } catch (...) {
            job->error = std::current_exception();
        }
        if (!keep)
            Statement(m_rollbackTo).step();
        Statement(m_release).step();
    }
    if (Statement(m_commit).step() != SQLITE_DONE) {
        failAll();
        rollback();
        return;
    }
    ++m_commits;
    m_submissionsCommitted += static_cast<long long>(group.size());
}
