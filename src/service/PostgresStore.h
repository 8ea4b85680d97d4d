#pragma once

#include "PostgresPool.h"
#include "Store.h"

#include <atomic>
#include <mutex>

// The store in a PostgreSQL database, which several nodes may share. Each
// call runs on a connection of its own from a small pool; a submission is one
// transaction, its allowance counted on the usage row it locks.
class PostgresStore final : public Store {
public:
    // `url` is postgresql://[user@]host[:port]/database. Throws Error when the
    // server cannot be reached or the schema is newer than this program's.
    explicit PostgresStore(const std::string& url, bool readOnly = false);

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
    Commits commits() const override { return {m_submissions, m_commits}; }

private:
    void migrate(postgres::Connection& c);
    void rows(const postgres::Result& r, const std::function<void(const Row&)>& each);
    void forgetTokens(postgres::Connection& c, const std::string& before);

    postgres::Pool m_pool;
    std::atomic<long long> m_submissions{0}, m_commits{0};
    std::mutex m_forgotMutex;
    std::string m_forgotHour; // of the last time old tokens were forgotten
};
