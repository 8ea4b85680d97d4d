#include "Dispatcher.h"

#include "LocalTime.h"

#include <algorithm>
#include <map>

Dispatcher::Dispatcher(Store& store, std::vector<Line*> lines, Options options, std::FILE* log,
                       Now now)
    : m_store(store), m_options(options), m_log(log), m_now(std::move(now)) {
    for (Line* line : lines) {
        m_lines.emplace_back();
        m_lines.back().line = line;
    }
}

std::string Dispatcher::timeText(std::time_t t) const {
    return localTimeText(t);
}

void Dispatcher::say(const LineState& s, const std::string& text) {
    if (!m_log)
        return;
    std::string line = timeText(m_now()) + " line " + s.line->name() + ": " + text;
    // A file's text must not forge log lines.
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    std::fprintf(m_log, "%s\n", line.c_str());
}

std::string Dispatcher::lineState(size_t line) const {
    const LineState& s = m_lines.at(line);
    if (resting(s))
        return "resting until " + timeText(s.restUntil);
    return s.running ? "running" : "ready";
}

void Dispatcher::recordLine(LineState& s) {
    const std::string state = lineState(size_t(&s - m_lines.data()));
    if (state + '\n' + s.lastError == s.recorded)
        return;
    s.recorded = state + '\n' + s.lastError;
    m_store.recordLine(m_options.node, {s.line->name(), state, s.lastError, timeText(m_now())});
}

void Dispatcher::lineFailed(LineState& s, const std::string& why) {
    s.lastError = why;
    say(s, why);
    if (++s.failedRuns >= m_options.lineFailures) {
        s.failedRuns = 0;
        s.restUntil = m_now() + m_options.restSeconds;
        say(s, "out of rotation for " + std::to_string(m_options.restSeconds) + " s");
    }
    recordLine(s);
}

// The start lock is held and no run holds the run lock: the files stand still.
void Dispatcher::judge(LineState& s, bool runEnded, std::vector<Move>& moves) {
    const std::vector<Store::Queued> queued = m_store.queuedOn(m_options.node, s.line->name());
    s.waiting = static_cast<long long>(queued.size());
    s.workInFiles = false;
    if (queued.empty())
        return;
    const Line::Seen seen = s.line->look();
    const auto in = [](const std::set<long long>& ids, long long id) { return ids.count(id) > 0; };
    std::vector<long long> accepted, refused, failedRun, found;
    std::set<long long> toRemove;
    std::vector<std::string> again;
    std::vector<long long> againIds;
    for (const Store::Queued& q : queued) {
        const bool anywhere = in(seen.accepted, q.entryId) || in(seen.carried, q.entryId) ||
                              in(seen.queued, q.entryId);
        if (!q.appended) {
            // Recorded, then the service stopped: appended or not, the files say.
            if (anywhere) {
                found.push_back(q.id);
                s.workInFiles = true;
            } else {
                again.push_back(q.entry);
                againIds.push_back(q.id);
            }
            continue;
        }
        if (in(seen.accepted, q.entryId)) {
            accepted.push_back(q.id);
        } else if (in(seen.carried, q.entryId)) {
            const int failures = q.failures + (runEnded ? 1 : 0);
            if (runEnded)
                failedRun.push_back(q.id);
            if (failures >= m_options.lineFailures) {
                toRemove.insert(q.entryId);
            } else {
                s.workInFiles = true;
            }
        } else if (in(seen.queued, q.entryId)) {
            s.workInFiles = true;
        } else if (q.failures >= m_options.lineFailures) {
            // Taken out of the carry-over file by an earlier round.
            moves.push_back({q.id, size_t(&s - m_lines.data()), q.number, q.text, q.moves});
        } else {
            refused.push_back(q.id);
        }
    }
    const std::string now = timeText(m_now());
    if (!found.empty())
        m_store.recordAppended(found);
    if (!accepted.empty())
        m_store.recordAccepted(accepted, now);
    if (!refused.empty()) {
        m_store.recordFailed(refused, kRefused, now);
        say(s, std::to_string(refused.size()) + " " + kRefused);
    }
    // Counted before the entries leave the carry-over file: a restart between
    // the two finds them there with the count reached, and moves them then.
    if (!failedRun.empty())
        m_store.recordFailedRun(failedRun);
    if (!toRemove.empty()) {
        if (s.line->removeCarried(toRemove)) {
            for (const Store::Queued& q : queued)
                if (toRemove.count(q.entryId))
                    moves.push_back({q.id, size_t(&s - m_lines.data()), q.number, q.text, q.moves});
        } else {
            s.workInFiles = true;
            say(s, "cannot rewrite Brindle.rcv; the messages to move stay there");
        }
    }
    if (!again.empty()) {
        if (s.line->append(again)) {
            m_store.recordAppended(againIds);
            s.workInFiles = true;
        } else {
            say(s, "cannot write Brindle.in");
        }
    }
    if (runEnded) {
        if (!accepted.empty() || s.acceptedInRun)
            s.failedRuns = 0;
        else if (!failedRun.empty())
            lineFailed(s, "the run ended with " + std::to_string(failedRun.size()) +
                              " message(s) carried over");
    }
    s.waiting -= static_cast<long long>(accepted.size() + refused.size());
}

// A run writes each acceptance as it comes: the page shows it at once.
void Dispatcher::recordAccepted(LineState& s) {
    std::vector<long long> accepted;
    const std::vector<Store::Queued> queued = m_store.queuedOn(m_options.node, s.line->name());
    if (queued.empty())
        return;
    const std::set<long long> seen = s.line->look().accepted;
    for (const Store::Queued& q : queued)
        if (q.appended && seen.count(q.entryId))
            accepted.push_back(q.id);
    if (!accepted.empty()) {
        m_store.recordAccepted(accepted, timeText(m_now()));
        s.acceptedInRun = true;
    }
}

// Recorded before the append: a restart finds the record and asks the files.
void Dispatcher::handOver(LineState& s, const std::vector<Store::Waiting>& batch) {
    if (!batch.empty()) {
        const auto first = s.line->reserveIds(static_cast<int>(batch.size()));
        if (!first) {
            lineFailed(s, "cannot write Config\\MsgID.dat");
            return;
        }
        const std::string now = timeText(m_now());
        std::vector<Store::Handover> records;
        std::vector<std::string> entries;
        std::vector<long long> ids;
        for (size_t i = 0; i < batch.size(); ++i) {
            const long long entryId = *first + static_cast<long long>(i);
            entries.push_back(s.line->entry(entryId, now, batch[i].number, batch[i].text));
            records.push_back({batch[i].id, s.line->name(), entryId, entries.back()});
            ids.push_back(batch[i].id);
        }
        // A claim another node took over (this one was too slow) is not
        // recorded, and its entry never appended.
        const std::vector<long long> recorded = m_store.recordQueued(m_options.node, records);
        if (recorded.size() < records.size()) {
            const std::set<long long> keep(recorded.begin(), recorded.end());
            std::vector<std::string> kept;
            for (size_t i = 0; i < records.size(); ++i)
                if (keep.count(records[i].id))
                    kept.push_back(entries[i]);
            say(s, std::to_string(records.size() - recorded.size()) +
                       " message(s) taken over by another node");
            entries = std::move(kept);
            ids = recorded;
        }
        if (!entries.empty()) {
            if (!s.line->append(entries)) {
                // Recorded and not appended: the next round appends them again.
                say(s, "cannot write Brindle.in");
                return;
            }
            m_store.recordAppended(ids);
            s.waiting += static_cast<long long>(ids.size());
            s.workInFiles = true;
        }
    }
    if (!s.workInFiles)
        return;
    std::string problem;
    if (s.line->startRun(problem)) {
        s.runStarted = true;
        s.running = true;
    } else {
        lineFailed(s, "Brindle could not start: " + problem);
    }
}

void Dispatcher::tick() {
    const std::time_t now = m_now();
    if (!m_adopted) {
        m_store.adoptUnowned(m_options.node);
        m_adopted = true;
    }
    if (now - m_lastHeartbeat >= kHeartbeatSeconds || now < m_lastHeartbeat) {
        std::string names;
        for (const LineState& s : m_lines)
            names += (names.empty() ? "" : "\n") + s.line->name();
        m_store.heartbeat(m_options.node, names, now);
        m_lastHeartbeat = now;
    }
    std::vector<Move> moves;
    std::vector<std::unique_ptr<Line::Hold>> holds(m_lines.size());
    for (LineState& s : m_lines) {
        auto& hold = holds[size_t(&s - m_lines.data())];
        hold = s.line->holdStart();
        s.running = !hold || s.line->running();
        if (s.running) {
            hold.reset();
            recordAccepted(s);
            continue;
        }
        const bool runEnded = s.runStarted;
        s.runStarted = false;
        judge(s, runEnded, moves);
        s.acceptedInRun = false;
    }

    // The lines that take messages now, and what each is given.
    std::vector<size_t> open;
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (holds[i] && !resting(m_lines[i]))
            open.push_back(i);
    // With other nodes alive, each idle line here takes its share of what
    // their lines and these could take, so that this node does not take
    // everything while another's lines idle.
    const Store::Backlog backlog = m_store.backlog(m_options.node, now - 3 * kHeartbeatSeconds);
    const long long takers = backlog.otherLines + static_cast<long long>(open.size());
    const long long shared = backlog.stored + static_cast<long long>(moves.size());
    const size_t perLine = size_t(
        backlog.otherLines > 0 ? std::clamp<long long>((shared + takers - 1) / takers, 1, kPerRun)
                               : kPerRun);
    std::map<size_t, std::vector<Store::Waiting>> given;
    const auto fewest = [&](size_t except) -> std::optional<size_t> {
        std::optional<size_t> best;
        for (size_t i : open) {
            if (i == except || given[i].size() >= perLine)
                continue;
            const long long load = m_lines[i].waiting + static_cast<long long>(given[i].size());
            if (!best ||
                load < m_lines[*best].waiting + static_cast<long long>(given[*best].size()))
                best = i;
        }
        return best;
    };
    std::map<size_t, std::vector<long long>> failed; // by the line they failed on
    for (const Move& m : moves) {
        const auto to = m.moves == 0 ? fewest(m.from) : std::nullopt;
        const bool anotherLine = m_lines.size() > 1 && m.moves == 0;
        if (to)
            given[*to].push_back({m.id, {}, {}, m.number, m.text});
        else if (!anotherLine)
            failed[m.from].push_back(m.id);
        // else: every other line is busy; it moves in a later round.
    }
    for (const auto& [from, ids] : failed) {
        const LineState& s = m_lines[from];
        m_store.recordFailed(ids,
                             "not sent: " + std::to_string(m_options.lineFailures) +
                                 " runs failed on line " + s.line->name(),
                             timeText(m_now()));
    }
    size_t room = 0;
    for (size_t i : open)
        room += perLine - std::min(perLine, given[i].size());
    if (room > 0)
        for (Store::Waiting& w :
             m_store.claim(m_options.node, static_cast<int>(room), static_cast<int>(room), now,
                           now + m_options.leaseSeconds)) {
            const auto to = fewest(m_lines.size());
            if (!to)
                break;
            given[*to].push_back(std::move(w));
        }
    for (size_t i : open)
        handOver(m_lines[i], given[i]);
    for (LineState& s : m_lines)
        recordLine(s);
}
