#pragma once

#include "Line.h"
#include "Store.h"

#include <cstdio>
#include <ctime>
#include <functional>
#include <set>
#include <string>
#include <vector>

// Hands the stored messages to the lines, each exactly once, and reads back
// what became of them. Every step is recorded before the files are touched,
// so a service killed at any moment finds on restart, from the records and
// the line's files, what was done: nothing is lost and nothing handed twice.
class Dispatcher {
public:
    using Now = std::function<std::time_t()>;
    // Messages one line takes in one hand-over: a user who submits thousands
    // holds another back by one run at most.
    static constexpr int kPerRun = 100;
    static inline const std::string kRefused = "refused by the centre";

    // How often the node says it is alive.
    static constexpr int kHeartbeatSeconds = 5;
    struct Options {
        int lineFailures = 3;  // failed runs of a message on one line before it moves
        int restSeconds = 300; // a line whose runs keep failing rests this long
        std::string node;      // this service among those sharing the database
        int leaseSeconds = 60; // a claim not handed over by then goes back to the others
    };
    Dispatcher(Store& store, std::vector<Line*> lines, Options options, std::FILE* log, Now now);

    // One round: each line's outcomes read back, then the waiting messages
    // claimed and handed to the lines that can take them, and their runs
    // started. Throws Store::Error when the database fails; the next round
    // starts again from the records.
    void tick();

    // What a line is doing, for the log and --lines.
    std::string lineState(size_t line) const;

private:
    struct LineState {
        Line* line = nullptr;
        bool runStarted = false; // by us, not yet seen ended
        bool acceptedInRun = false;
        int failedRuns = 0; // in a row
        std::time_t restUntil = 0;
        std::string lastError;
        bool running = false;
        bool workInFiles = false; // entries of ours wait in its inbox or carry-over file
        long long waiting = 0;    // messages queued on it
        std::string recorded;     // state and error as --lines last saw them
    };
    struct Move {
        long long id;
        size_t from;
        std::string number, text;
        int moves;
    };
    void judge(LineState& s, bool runEnded, std::vector<Move>& moves);
    void lineFailed(LineState& s, const std::string& why);
    void recordAccepted(LineState& s);
    void handOver(LineState& s, const std::vector<Store::Waiting>& batch);
    bool resting(const LineState& s) const { return m_now() < s.restUntil; }
    std::string timeText(std::time_t t) const;
    void say(const LineState& s, const std::string& text);
    // For --lines, when the line's state or error changed.
    void recordLine(LineState& s);

    Store& m_store;
    std::vector<LineState> m_lines;
    Options m_options;
    std::FILE* m_log;
    Now m_now;
    std::time_t m_lastHeartbeat = 0;
    bool m_adopted = false;
};
