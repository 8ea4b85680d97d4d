#pragma once

#include "common/Colour.h"
#include "common/Notice.h"

#include <QString>
#include <optional>

// The total counter's colour, and the warning that the text will go out as
// several messages: given at most once per composed message.
class SplitWarning {
public:
    // What one message holds.
    static constexpr int kMaxSmsLength = 160;

    struct Check {
        Colour colour; // white up to the limit, orange above it
        // The first time the total goes over the limit. The window paints the
        // total first: the user sees the orange total behind the box.
        std::optional<Notice> warning;
    };
    Check check(long long total, int maxSmsLength);

    bool given() const { return m_given; }
    // A new message is being composed: the warning may come again.
    void rearm() { m_given = false; }

    static QString text(int maxSmsLength);

private:
    bool m_given = false;
};
