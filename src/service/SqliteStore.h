#pragma once

#include "Store.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

struct sqlite3;
struct sqlite3_stmt;

// The store in one SQLite file. One thread uses the connection; submissions
// waiting together share one commit (one sync of the disk).
class SqliteStore final : public Store {
public:
    static constexpr int kBusyTimeoutMs = 10000;

    // Throws Error when the file cannot be opened or set up.
    explicit SqliteStore(const std::string& path, bool readOnly = false);
    ~SqliteStore() override;

    User signOn(const std::string& userId, const std::optional<std::string>& mobile,
                const std::optional<std::string>& email, const std::string& now,
                bool enrol) override;
    bool knows(const std::string& userId) override;
    bool approve(const std::string& userId) override;
    bool remove(const std::string& userId) override;
    void accounts(const std::string& day, const std::function<void(const Account&)>& each) override;
    int remaining(const std::string& userId, const std::string& day, int allowance) override;
    Outcome submit(const std::string& userId, const std::vector<Message>& messages,
                   const std::string& day, const std::string& now, int allowance,
                   const std::string& token = {}, const std::string& keepTokensFrom = {}) override;
    void list(const std::string& userId, const std::function<void(const Row&)>& each) override;
    void latest(const std::string& userId, int count,
                const std::function<void(const Row&)>& each) override;
    std::vector<Waiting> claim(const std::string& node, int perUser, int limit, long long now,
                               long long leaseUntil) override;
    std::vector<long long> recordQueued(const std::string& node,
                                        const std::vector<Handover>& handovers) override;
    void recordAppended(const std::vector<long long>& ids) override;
    std::vector<Queued> queuedOn(const std::string& node, const std::string& line) override;
    void recordAccepted(const std::vector<long long>& ids, const std::string& when) override;
    void recordFailedRun(const std::vector<long long>& ids) override;
    void recordFailed(const std::vector<long long>& ids, const std::string& reason,
                      const std::string& when) override;
    long long failStored(const std::function<bool(const std::string& text)>& carriable,
                         const std::string& reason, const std::string& when) override;
    std::vector<std::pair<std::string, LineCounts>> lineCounts(const std::string& node,
                                                               const std::string& since) override;
    void recordLine(const std::string& node, const LineRecord& line) override;
    void lines(const std::string& node,
               const std::function<void(const LineRecord&)>& each) override;
    void heartbeat(const std::string& node, const std::string& lines, long long now) override;
    void nodes(const std::string& since,
               const std::function<void(const NodeRecord&)>& each) override;
    long long forgetNode(const std::string& node, const std::string& reason,
                         const std::string& when) override;
    Backlog backlog(const std::string& node, long long aliveSince) override;
    void adoptUnowned(const std::string& node) override;
    Commits commits() const override { return {m_submissionsCommitted, m_commits}; }

private:
    class Statement;
    sqlite3_stmt* prepare(const char* sql);
    void exec(const char* sql);
    bool changeUser(sqlite3_stmt* statement, const std::string& userId);
    void rollback();
    long long sentOn(const std::string& userId, const std::string& day);
    Outcome submitInTransaction(const std::string& userId, const std::vector<Message>& messages,
                                const std::string& day, const std::string& now, int allowance,
                                const std::string& token);
    [[noreturn]] void fail(const char* what);
    void prepareDelivery(bool readOnly);
    void migrateMessages();
    void migrate();
    bool hasDeliveryColumns();
    void inTransaction(const std::function<void()>& steps);
    // Each step of `ids` with `statement` (?1 the id), in one transaction.
    void forEachId(sqlite3_stmt* statement, const std::vector<long long>& ids,
                   const std::function<void(Statement&)>& bind = {});
    struct Job {
        // Alone; or, when `submission` is set, inside a transaction shared
        // with the submissions waiting beside it (true keeps what it wrote).
        std::function<void()> work;
        std::function<bool()> submission;
        bool done = false;
        std::exception_ptr error;
        std::condition_variable finished;
    };
    void onWriter(const std::function<void()>& work);
    void inGroupCommit(const std::function<bool()>& submission);
    void runOnWriter(Job& job);
    void writerLoop();
    void commitTogether(const std::vector<Job*>& group);
    void startCheckpointer(const std::string& path);
    void checkpointLoop();
    static int walWritten(void* store, sqlite3* db, const char* name, int pages);

    sqlite3* m_db = nullptr;
    std::atomic<long long> m_submissionsCommitted{0}, m_commits{0};
    // The connection and its statements are used on this thread only.
    std::thread m_writer;
    std::mutex m_queueMutex;
    std::condition_variable m_queueWanted;
    std::deque<Job*> m_queue;
    bool m_stopWriter = false;

    // Checkpoints run on a connection of their own, so that writers never wait
    // for the copy back into the database file and its sync.
    sqlite3* m_checkpointDb = nullptr;
    std::thread m_checkpointer;
    std::mutex m_checkpointMutex;
    std::condition_variable m_checkpointWanted;
    bool m_checkpointDue = false, m_stopping = false;
    std::vector<sqlite3_stmt*> m_statements;
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    sqlite3_stmt* m_rollback = nullptr;
    sqlite3_stmt* m_savepoint = nullptr;
    sqlite3_stmt* m_rollbackTo = nullptr;
    sqlite3_stmt* m_release = nullptr;
    sqlite3_stmt* m_signOn = nullptr;
    sqlite3_stmt* m_userExists = nullptr;
    sqlite3_stmt* m_sent = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_addSent = nullptr;
    sqlite3_stmt* m_knows = nullptr;
    sqlite3_stmt* m_approve = nullptr;
    sqlite3_stmt* m_remove = nullptr;
    sqlite3_stmt* m_accounts = nullptr;
    sqlite3_stmt* m_findToken = nullptr;
    sqlite3_stmt* m_addToken = nullptr;
    sqlite3_stmt* m_forgetTokens = nullptr;
    sqlite3_stmt* m_list = nullptr;
    sqlite3_stmt* m_latest = nullptr;
    sqlite3_stmt* m_claimable = nullptr;
    sqlite3_stmt* m_claim = nullptr;
    sqlite3_stmt* m_recordQueued = nullptr;
    sqlite3_stmt* m_appended = nullptr;
    sqlite3_stmt* m_queuedOn = nullptr;
    sqlite3_stmt* m_accepted = nullptr;
    sqlite3_stmt* m_failedRun = nullptr;
    sqlite3_stmt* m_failed = nullptr;
    sqlite3_stmt* m_storedTexts = nullptr;
    sqlite3_stmt* m_lineCounts = nullptr;
    sqlite3_stmt* m_recordLine = nullptr;
    sqlite3_stmt* m_lines = nullptr;
    sqlite3_stmt* m_heartbeat = nullptr;
    sqlite3_stmt* m_nodes = nullptr;
    sqlite3_stmt* m_forgetQueued = nullptr;
    sqlite3_stmt* m_forgetClaims = nullptr;
    sqlite3_stmt* m_forgetNode = nullptr;
    sqlite3_stmt* m_forgetLines = nullptr;
    sqlite3_stmt* m_adopt = nullptr;
    sqlite3_stmt* m_storedCount = nullptr;
    sqlite3_stmt* m_liveLines = nullptr;
};
