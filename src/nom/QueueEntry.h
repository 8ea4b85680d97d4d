#pragma once

#include <QString>
#include <optional>

// A queue entry as the exchange files carry it: only the first '+' and the
// first blank after it matter; the whole line is its identity.
struct QueueEntry {
    QString number; // with its '+'
    QString text;

    // Nothing when the line has no '+' or no blank after it.
    static std::optional<QueueEntry> parse(const QString& line);
};
