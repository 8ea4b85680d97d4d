#pragma once

#include <QString>
#include <optional>

// A queue entry as the exchange files carry it: only the first '+' and the
// first blank after it matter; the whole line is its identity.
struct QueueEntry {
    QString number; // with its '+'
    QString text;

    // Longer lines are refused at intake: no message centre takes a block
    // that size, and at 9600 baud it would hold the line for minutes.
    static constexpr qsizetype kMaxLength = 1024;

    // Nothing when the line has no '+' or no blank after it.
    static std::optional<QueueEntry> parse(const QString& line);
};
