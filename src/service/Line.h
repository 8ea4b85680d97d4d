#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// One modem line of the gateway as the dispatcher sees it: an installation
// whose Brindle owns one modem, reached only through its exchange files.
class Line {
public:
    virtual ~Line() = default;
    virtual const std::string& name() const = 0;

    // The start lock, held while the dispatcher judges the files, appends and
    // starts a run: no run starts meanwhile. Null when it cannot be taken.
    class Hold {
    public:
        virtual ~Hold() = default;
    };
    virtual std::unique_ptr<Hold> holdStart() = 0;
    // A run holds the run lock.
    virtual bool running() = 0;

    // `count` consecutive entry ids of the line; nothing when its id file
    // cannot be written.
    virtual std::optional<long long> reserveIds(int count) = 0;
    // The entry line for one message, in the line's own form.
    virtual std::string entry(long long id, const std::string& received, const std::string& number,
                              const std::string& text) = 0;
    // All the entries appended to the inbox, or none.
    virtual bool append(const std::vector<std::string>& entries) = 0;
    // Starts a run (the start lock held); false with the reason when none runs.
    virtual bool startRun(std::string& problem) = 0;

    // The entry ids the files hold now: accepted (Brindle.out), carried over
    // (Brindle.rcv), waiting for a run (the inbox and the journal).
    struct Seen {
        std::set<long long> accepted, carried, queued;
    };
    virtual Seen look() = 0;
    // Takes these entries out of the carry-over file (the start lock held, no
    // run); false when the file could not be rewritten.
    virtual bool removeCarried(const std::set<long long>& ids) = 0;
};
