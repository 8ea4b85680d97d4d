#pragma once

#include "TapSmsc.h"

#include <string>

// The file of accepted messages: one line each, number TAB text LF, appended
// and on disk the moment the acceptance goes out, so a reader never waits for
// the simulator to end.
class MessageRecord {
public:
    explicit MessageRecord(std::string path) : m_path(std::move(path)) {}

    // Whether the file can be appended to (created empty if missing).
    bool check(std::string& error) const;
    bool append(const AcceptedMessage& message, std::string& error) const;

    static std::string line(const AcceptedMessage& message);

private:
    std::string m_path;
};
