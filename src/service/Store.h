#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Users, their messages and what each has sent per day, in one SQLite file.
// Safe to share between threads; several processes may open the same file.
class Store {
public:
    static constexpr int kBusyTimeoutMs = 10000;

    struct Message {
        std::string number; // "+" and digits
        std::string text;
    };
    struct User {
        std::string mobile;
        std::string email;
        bool enrolled = false;
    };
    struct Account {
        std::string userId, mobile, email;
        bool enrolled;
        long long sentToday;
    };
    struct Outcome {
        // Repeated: the token's submission was accepted before; nothing more is stored.
        enum Kind { Accepted, Repeated, UnknownUser, OverAllowance } kind;
        int remaining; // of the day's allowance, after this submission
    };
    struct Row {
        std::string received, userId, number, text;
        // The gateway's record of it: stored, queued, accepted or failed; the
        // line and entry id it went to; the time it was accepted or failed.
        std::string state, line;
        long long entryId = 0;
        std::string done, reason;
    };

    class Error : public std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // Throws Error when the file cannot be opened or set up.
    explicit Store(const std::string& path, bool readOnly = false);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Registers the user (enrolled at once when `enrol`, else waiting for the
    // administrator) or updates the values given; returns what is stored.
    User signOn(const std::string& userId, const std::optional<std::string>& mobile,
                const std::optional<std::string>& email, const std::string& now, bool enrol);
    bool knows(const std::string& userId);
    // The administrator's part: false when there is no such user.
    bool approve(const std::string& userId);
    bool remove(const std::string& userId);
    void accounts(const std::string& day, const std::function<void(const Account&)>& each);
    int remaining(const std::string& userId, const std::string& day, int allowance);
    // All messages or none, the allowance counted with them: a savepoint of
    // its own inside the commit it shares with the submissions waiting beside
    // it, answered only once that commit is on the disk. With a token, an
    // accepted submission keeps it (and its verdict) in the same savepoint: a
    // repeat of it stores nothing and gets that verdict.
    // Tokens received before `keepTokensFrom` are forgotten.
    Outcome submit(const std::string& userId, const std::vector<Message>& messages,
                   const std::string& day, const std::string& now, int allowance,
                   const std::string& token = {}, const std::string& keepTokensFrom = {});
    void list(const std::string& userId, const std::function<void(const Row&)>& each);
    // The user's last `count` messages, the newest first.
    void latest(const std::string& userId, int count, const std::function<void(const Row&)>& each);

    // The gateway's side: each stored message goes to one line as one entry.
    struct Waiting {
        long long id;
        std::string userId, received, number, text;
    };
    // Stored messages in the order they are handed over: each user's oldest
    // first, then each user's second, and so on, arrival deciding within a
    // round; at most `perUser` of one user and `limit` in all.
    std::vector<Waiting> waiting(int perUser, int limit);
    struct Handover {
        long long id;
        std::string line;
        long long entryId;
        std::string entry;
    };
    // Before the entries are appended to the line's inbox: queued there, not
    // yet appended. A message moved from another line starts afresh.
    void recordQueued(const std::vector<Handover>& handovers);
    // Once the append is done.
    void recordAppended(const std::vector<long long>& ids);
    struct Queued {
        long long id, entryId;
        std::string entry, number, text;
        bool appended;
        int failures, moves;
    };
    std::vector<Queued> queuedOn(const std::string& line);
    void recordAccepted(const std::vector<long long>& ids, const std::string& when);
    // A run of the line ended with these carried over.
    void recordFailedRun(const std::vector<long long>& ids);
    void recordFailed(const std::vector<long long>& ids, const std::string& reason,
                      const std::string& when);
    // Marks failed the stored messages `carriable` refuses; returns how many.
    long long failStored(const std::function<bool(const std::string& text)>& carriable,
                         const std::string& reason, const std::string& when);
    struct LineCounts {
        long long queued = 0, acceptedSince = 0;
    };
    // Per line: messages queued now, and accepted since `since`.
    std::vector<std::pair<std::string, LineCounts>> lineCounts(const std::string& since);
    // What the serving gateway last said of a line, for --lines.
    struct LineRecord {
        std::string name, state, lastError, updated;
    };
    void recordLine(const LineRecord& line);
    void lines(const std::function<void(const LineRecord&)>& each);
    // Submissions stored so far and the commits (each one sync of the disk) that held them.
    struct Commits {
        long long submissions, commits;
    };
    Commits commits() const { return {m_submissionsCommitted, m_commits}; }

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
    sqlite3_stmt* m_waiting = nullptr;
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
};
