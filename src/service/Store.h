#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// Users, their messages and what each has sent per day; and, for the
// gateway, which node, line and entry each message went to and what became
// of it. Safe to share between threads; several processes (nodes) may use one
// database. Every write is durable before the call returns.
//
// Two kinds: an SQLite file (the default) and PostgreSQL (several nodes on
// one database). Both keep the same contract; the tests hold them to it.
class Store {
public:
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
        // The gateway's record of it: stored, queued, accepted, failed or
        // unknown; the line and entry id it went to; the time it was
        // accepted or failed, and why.
        std::string state, line;
        long long entryId = 0;
        std::string done, reason;
    };

    // Anything the database refused or could not do; the service answers 500.
    class Error : public std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    virtual ~Store() = default;
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Registers the user (enrolled at once when `enrol`, else waiting for the
    // administrator) or updates the values given; returns what is stored.
    virtual User signOn(const std::string& userId, const std::optional<std::string>& mobile,
                        const std::optional<std::string>& email, const std::string& now,
                        bool enrol) = 0;
    virtual bool knows(const std::string& userId) = 0;
    // The administrator's part: false when there is no such user.
    virtual bool approve(const std::string& userId) = 0;
    // The user goes; what the user sent stays, for the record.
    virtual bool remove(const std::string& userId) = 0;
    // Every user, in order of registration, with what each sent on `day`.
    virtual void accounts(const std::string& day,
                          const std::function<void(const Account&)>& each) = 0;
    virtual int remaining(const std::string& userId, const std::string& day, int allowance) = 0;
    // All messages or none, the allowance counted in the same transaction
    // (two submissions at once never both pass it), answered only once on the
    // disk. With a token, an accepted submission keeps it and its verdict in
    // the same transaction: a repeat stores nothing and gets that verdict.
    // Tokens received before `keepTokensFrom` are forgotten.
    virtual Outcome submit(const std::string& userId, const std::vector<Message>& messages,
                           const std::string& day, const std::string& now, int allowance,
                           const std::string& token = {},
                           const std::string& keepTokensFrom = {}) = 0;
    // Every message (of one user, or of all when empty), oldest first.
    virtual void list(const std::string& userId, const std::function<void(const Row&)>& each) = 0;
    // The user's last `count` messages, the newest first.
    virtual void latest(const std::string& userId, int count,
                        const std::function<void(const Row&)>& each) = 0;

    // The gateway's side. A node (one service process with its lines) claims
    // stored messages for a lease, then records each as queued on one of its
    // lines before it appends the entry there; from then on the message is
    // that line's, whatever becomes of the node. Lease times are seconds
    // since the epoch, on the nodes' clocks.
    struct Waiting {
        long long id;
        std::string userId, received, number, text;
    };
    // Claims for `node`, until `leaseUntil`, stored messages that no other
    // node's lease holds at `now` (the node's own claims are taken again), in
    // the order they are handed over: each user's oldest first, then each
    // user's second, and so on, arrival deciding within a round; at most
    // `perUser` of one user and `limit` in all. Nodes claiming at once never
    // get the same message.
    virtual std::vector<Waiting> claim(const std::string& node, int perUser, int limit,
                                       long long now, long long leaseUntil) = 0;
    struct Handover {
        long long id;
        std::string line;
        long long entryId;
        std::string entry;
    };
    // Before the entries are appended to the line's inbox: queued there, not
    // yet appended. Only messages `node` still claims, or has queued on
    // another of its lines (a move, which starts afresh), are recorded: a
    // claim another node took over after the lease ran out is not. Returns
    // the ids recorded; only those may be appended.
    virtual std::vector<long long> recordQueued(const std::string& node,
                                                const std::vector<Handover>& handovers) = 0;
    // Once the append is done.
    virtual void recordAppended(const std::vector<long long>& ids) = 0;
    struct Queued {
        long long id, entryId;
        std::string entry, number, text;
        bool appended;
        int failures, moves;
    };
    // The messages queued on the node's line, oldest first.
    virtual std::vector<Queued> queuedOn(const std::string& node, const std::string& line) = 0;
    virtual void recordAccepted(const std::vector<long long>& ids, const std::string& when) = 0;
    // A run of the line ended with these carried over.
    virtual void recordFailedRun(const std::vector<long long>& ids) = 0;
    // Stored or queued messages fail; accepted ones stay accepted.
    virtual void recordFailed(const std::vector<long long>& ids, const std::string& reason,
                              const std::string& when) = 0;
    // Marks failed the stored messages `carriable` refuses; returns how many.
    virtual long long failStored(const std::function<bool(const std::string& text)>& carriable,
                                 const std::string& reason, const std::string& when) = 0;
    struct LineCounts {
        long long queued = 0, acceptedSince = 0;
    };
    // Per line of the node: messages queued now, and accepted since `since`.
    virtual std::vector<std::pair<std::string, LineCounts>>
    lineCounts(const std::string& node, const std::string& since) = 0;
    // What the serving gateway last said of a line, for --lines.
    struct LineRecord {
        std::string name, state, lastError, updated;
    };
    virtual void recordLine(const std::string& node, const LineRecord& line) = 0;
    virtual void lines(const std::string& node,
                       const std::function<void(const LineRecord&)>& each) = 0;

    // Nodes: each says it is alive (with its lines, one per line of text)
    // every few seconds.
    virtual void heartbeat(const std::string& node, const std::string& lines, long long now) = 0;
    struct NodeRecord {
        std::string name, lines;
        long long heartbeat = 0;
        long long claimed = 0, queued = 0, acceptedSince = 0;
    };
    // Every node that ever served, by name, with its messages claimed now,
    // queued now, and accepted since `since`.
    virtual void nodes(const std::string& since,
                       const std::function<void(const NodeRecord&)>& each) = 0;
    // The administrator says the node will not return: its claims go back
    // to the others, and what it queued on its lines (sent or not, nobody
    // can tell) becomes unknown with `reason`, never sent again. Returns how
    // many messages became unknown.
    virtual long long forgetNode(const std::string& node, const std::string& reason,
                                 const std::string& when) = 0;
    // What the nodes share out: the messages stored and not yet queued, and
    // the lines of the nodes other than `node` that beat at `aliveSince` or
    // later.
    struct Backlog {
        long long stored = 0, otherLines = 0;
    };
    virtual Backlog backlog(const std::string& node, long long aliveSince) = 0;
    // Messages queued before nodes were recorded become `node`'s.
    virtual void adoptUnowned(const std::string& node) = 0;

    // Submissions stored so far and the commits that held them.
    struct Commits {
        long long submissions, commits;
    };
    virtual Commits commits() const = 0;

protected:
    Store() = default;
};

// `db` is an SQLite file, or a postgresql:// URL (without its password:
// libpq reads ~/.pgpass or PGPASSWORD). A listing opens it read-only where
// the kind allows. Throws Store::Error when it cannot be opened or set up.
std::unique_ptr<Store> openStore(const std::string& db, bool readOnly = false);
bool isPostgresUrl(const std::string& db);
