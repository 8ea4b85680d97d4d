// The gateway's records on PostgreSQL: claims, hand-overs and nodes. Each
// call is one statement, so each is all or nothing by itself.
#include "PostgresStore.h"

#include <set>

using postgres::Params;
using postgres::Result;

namespace {

// The claimable of `node` at $4: stored, and under no other node's live lease.
#define CLAIMABLE                                                                                  \
    "state = 'stored' AND (claimed_by IS NULL OR claimed_by = $3 OR claim_until <= $4)"
// The fair order is read from what this snapshot sees; the rows are then
// locked, skipping any another node is claiming this moment, and checked again.
const char* const kClaim =
    "WITH picked AS (SELECT id, round FROM (SELECT id,"
    " ROW_NUMBER() OVER (PARTITION BY user_id ORDER BY id) AS round"
    " FROM messages WHERE " CLAIMABLE ") s WHERE round <= $1 ORDER BY round, id LIMIT $2),"
    " locked AS (SELECT id FROM messages WHERE id IN (SELECT id FROM picked) AND " CLAIMABLE
    " FOR UPDATE SKIP LOCKED),"
    " claimed AS (UPDATE messages m SET claimed_by = $3, claim_until = $5 FROM locked"
    " WHERE m.id = locked.id RETURNING m.id, m.user_id, m.received, m.number, m.text)"
    " SELECT c.id, c.user_id, c.received, c.number, c.text FROM claimed c JOIN picked p"
    " ON p.id = c.id ORDER BY p.round, p.id";
const char* const kRecordQueued =
    "UPDATE messages m SET state = 'queued', node = $1, line = h.line, entry_id = h.entry_id,"
    " entry = h.entry, appended = 0, failures = 0,"
    " moves = m.moves + CASE WHEN m.line IS NOT NULL AND m.line <> h.line THEN 1 ELSE 0 END,"
    " claimed_by = NULL, claim_until = 0"
    " FROM unnest($2::bigint[], $3::text[], $4::bigint[], $5::text[]) AS h(id, line, entry_id,"
    " entry) WHERE m.id = h.id AND ((m.state = 'stored' AND m.claimed_by = $1)"
    " OR (m.state = 'queued' AND m.node = $1)) RETURNING m.id";
const char* const kAppended =
    "UPDATE messages SET appended = 1 WHERE id = ANY($1) AND state = 'queued'";
const char* const kQueuedOn = "SELECT id, entry_id, entry, number, text, appended, failures, moves"
                              " FROM messages"
                              " WHERE state = 'queued' AND node = $1 AND line = $2 ORDER BY id";
const char* const kAccepted = "UPDATE messages SET state = 'accepted', done = $2"
                              " WHERE id = ANY($1) AND state = 'queued'";
const char* const kFailedRun =
    "UPDATE messages SET failures = failures + 1 WHERE id = ANY($1) AND state = 'queued'";
const char* const kFailed = "UPDATE messages SET state = 'failed', done = $2, reason = $3"
                            " WHERE id = ANY($1) AND state IN ('stored', 'queued')";
const char* const kStoredTexts = "SELECT id, text FROM messages WHERE state = 'stored' ORDER BY id";
const char* const kLineCounts =
    "SELECT line, COUNT(*) FILTER (WHERE state = 'queued'),"
    " COUNT(*) FILTER (WHERE state = 'accepted' AND done >= $2) FROM messages"
    " WHERE node = $1 AND line IS NOT NULL GROUP BY line ORDER BY line";
const char* const kRecordLine =
    "INSERT INTO lines(node, name, state, last_error, updated) VALUES($1, $2, $3, $4, $5)"
    " ON CONFLICT(node, name) DO UPDATE SET state = $3, last_error = $4, updated = $5";
const char* const kLines =
    "SELECT name, state, last_error, updated FROM lines WHERE node = $1 ORDER BY name";
const char* const kHeartbeat = "INSERT INTO nodes(name, lines, heartbeat) VALUES($1, $2, $3)"
                               " ON CONFLICT(name) DO UPDATE SET lines = $2, heartbeat = $3";
const char* const kNodes =
    "SELECT n.name, n.lines, n.heartbeat,"
    " (SELECT COUNT(*) FROM messages WHERE state = 'stored' AND claimed_by = n.name),"
    " (SELECT COUNT(*) FROM messages WHERE state = 'queued' AND node = n.name),"
    " (SELECT COUNT(*) FROM messages WHERE state = 'accepted' AND node = n.name"
    " AND done >= $1) FROM nodes n ORDER BY n.name";
// The two updates touch messages of different states, so never one row twice.
const char* const kForgetNode =
    "WITH unknown AS (UPDATE messages SET state = 'unknown', done = $3, reason = $2"
    " WHERE state = 'queued' AND node = $1 RETURNING 1),"
    " freed AS (UPDATE messages SET claimed_by = NULL, claim_until = 0"
    " WHERE state = 'stored' AND claimed_by = $1),"
    " node AS (DELETE FROM nodes WHERE name = $1),"
    " lines AS (DELETE FROM lines WHERE node = $1)"
    " SELECT COUNT(*) FROM unknown";
// A node's lines are its `lines`, one per line of text.
const char* const kBacklog =
    "SELECT (SELECT COUNT(*) FROM messages WHERE state = 'stored'),"
    " (SELECT COUNT(*) FROM nodes, unnest(string_to_array(lines, E'\\n')) AS l(line)"
    " WHERE heartbeat >= $1 AND name <> $2 AND line <> '')";
const char* const kAdopt = "UPDATE messages SET node = $1 WHERE node IS NULL AND line IS NOT NULL";

} // namespace

std::vector<PostgresStore::Waiting> PostgresStore::claim(const std::string& node, int perUser,
                                                         int limit, long long now,
                                                         long long leaseUntil) {
    const Result r = m_pool.run(
        kClaim,
        Params().integer(perUser).integer(limit).text(node).integer(now).integer(leaseUntil));
    std::vector<Waiting> out;
    for (int i = 0; i < r.rows(); ++i)
        out.push_back({r.integer(i, 0), r.text(i, 1), r.text(i, 2), r.text(i, 3), r.text(i, 4)});
    return out;
}

std::vector<long long> PostgresStore::recordQueued(const std::string& node,
                                                   const std::vector<Handover>& handovers) {
    std::vector<long long> ids, entryIds;
    std::vector<std::string> lines, entries;
    for (const Handover& h : handovers) {
        ids.push_back(h.id);
        lines.push_back(h.line);
        entryIds.push_back(h.entryId);
        entries.push_back(h.entry);
    }
    const Result r = m_pool.run(
        kRecordQueued,
        Params().text(node).integers(ids).texts(lines).integers(entryIds).texts(entries));
    std::set<long long> recorded;
    for (int i = 0; i < r.rows(); ++i)
        recorded.insert(r.integer(i, 0));
    std::vector<long long> out;
    for (long long id : ids)
        if (recorded.count(id))
            out.push_back(id);
    return out;
}

void PostgresStore::recordAppended(const std::vector<long long>& ids) {
    m_pool.run(kAppended, Params().integers(ids));
}

std::vector<PostgresStore::Queued> PostgresStore::queuedOn(const std::string& node,
                                                           const std::string& line) {
    const Result r = m_pool.run(kQueuedOn, Params().text(node).text(line));
    std::vector<Queued> out;
    for (int i = 0; i < r.rows(); ++i)
        out.push_back({r.integer(i, 0), r.integer(i, 1), r.text(i, 2), r.text(i, 3), r.text(i, 4),
                       r.integer(i, 5) != 0, int(r.integer(i, 6)), int(r.integer(i, 7))});
    return out;
}

void PostgresStore::recordAccepted(const std::vector<long long>& ids, const std::string& when) {
    m_pool.run(kAccepted, Params().integers(ids).text(when));
}

void PostgresStore::recordFailedRun(const std::vector<long long>& ids) {
    m_pool.run(kFailedRun, Params().integers(ids));
}

void PostgresStore::recordFailed(const std::vector<long long>& ids, const std::string& reason,
                                 const std::string& when) {
    m_pool.run(kFailed, Params().integers(ids).text(when).text(reason));
}

long long PostgresStore::failStored(const std::function<bool(const std::string& text)>& carriable,
                                    const std::string& reason, const std::string& when) {
    const Result r = m_pool.run(kStoredTexts);
    std::vector<long long> refused;
    for (int i = 0; i < r.rows(); ++i)
        if (!carriable(r.text(i, 1)))
            refused.push_back(r.integer(i, 0));
    if (!refused.empty())
        recordFailed(refused, reason, when);
    return static_cast<long long>(refused.size());
}

std::vector<std::pair<std::string, PostgresStore::LineCounts>>
PostgresStore::lineCounts(const std::string& node, const std::string& since) {
    const Result r = m_pool.run(kLineCounts, Params().text(node).text(since));
    std::vector<std::pair<std::string, LineCounts>> out;
    for (int i = 0; i < r.rows(); ++i)
        out.push_back({r.text(i, 0), {r.integer(i, 1), r.integer(i, 2)}});
    return out;
}

void PostgresStore::recordLine(const std::string& node, const LineRecord& line) {
    m_pool.run(kRecordLine, Params()
                                .text(node)
                                .text(line.name)
                                .text(line.state)
                                .text(line.lastError)
                                .text(line.updated));
}

void PostgresStore::lines(const std::string& node,
                          const std::function<void(const LineRecord&)>& each) {
    const Result r = m_pool.run(kLines, Params().text(node));
    for (int i = 0; i < r.rows(); ++i)
        each({r.text(i, 0), r.text(i, 1), r.text(i, 2), r.text(i, 3)});
}

void PostgresStore::heartbeat(const std::string& node, const std::string& lines, long long now) {
    m_pool.run(kHeartbeat, Params().text(node).text(lines).integer(now));
}

void PostgresStore::nodes(const std::string& since,
                          const std::function<void(const NodeRecord&)>& each) {
    const Result r = m_pool.run(kNodes, Params().text(since));
    for (int i = 0; i < r.rows(); ++i)
        each({r.text(i, 0), r.text(i, 1), r.integer(i, 2), r.integer(i, 3), r.integer(i, 4),
              r.integer(i, 5)});
}

long long PostgresStore::forgetNode(const std::string& node, const std::string& reason,
                                    const std::string& when) {
    return m_pool.run(kForgetNode, Params().text(node).text(reason).text(when)).integer(0, 0);
}

PostgresStore::Backlog PostgresStore::backlog(const std::string& node, long long aliveSince) {
    const Result r = m_pool.run(kBacklog, Params().integer(aliveSince).text(node));
    return {r.integer(0, 0), r.integer(0, 1)};
}

void PostgresStore::adoptUnowned(const std::string& node) {
    m_pool.run(kAdopt, Params().text(node));
}
