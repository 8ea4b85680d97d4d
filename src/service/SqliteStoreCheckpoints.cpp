#include "SqliteStore.h"

#include <sqlite3.h>

// Checkpoints (copying the log back into the database file, and its sync) run
// on a connection and a thread of their own, beside the writer.
namespace {

constexpr int kCheckpointPages = 1000; // SQLite's own default threshold

} // namespace

void SqliteStore::startCheckpointer(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_checkpointDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(m_checkpointDb);
        m_checkpointDb = nullptr;
        return; // the writer checkpoints by itself, as SQLite does by default
    }
    sqlite3_busy_timeout(m_checkpointDb, kBusyTimeoutMs);
    // A connection learns that the file is in WAL mode only by reading it.
    sqlite3_exec(m_checkpointDb, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    exec("PRAGMA wal_autocheckpoint=0");
    sqlite3_wal_hook(m_db, &SqliteStore::walWritten, this);
    m_checkpointer = std::thread([this] { checkpointLoop(); });
}

int SqliteStore::walWritten(void* store, sqlite3*, const char*, int pages) {
    auto self = static_cast<SqliteStore*>(store);
    if (pages >= kCheckpointPages) {
        std::lock_guard lock(self->m_checkpointMutex);
        self->m_checkpointDue = true;
        self->m_checkpointWanted.notify_one();
    }
    return SQLITE_OK;
}

void SqliteStore::checkpointLoop() {
    for (;;) {
        {
            std::unique_lock lock(m_checkpointMutex);
            m_checkpointWanted.wait(lock, [this] { return m_checkpointDue || m_stopping; });
            if (m_stopping)
                return;
            m_checkpointDue = false;
        }
        // The bulk of the copy and its sync beside the writers; then a short
        // second pass without them catches up fully, so the log can start over.
        int logged = 0, copied = 0;
        sqlite3_wal_checkpoint_v2(m_checkpointDb, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logged,
                                  &copied);
        if (copied < logged) {
            onWriter([this] {
                sqlite3_wal_checkpoint_v2(m_checkpointDb, nullptr, SQLITE_CHECKPOINT_PASSIVE,
                                          nullptr, nullptr);
            });
        }
    }
}
