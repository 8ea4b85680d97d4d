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

    // Why a line cannot be sent.
    enum class Fault {
        None,
        // No '+', or no blank after it.
        Malformed,
        OverLong,
        // A control character would end or corrupt the block on the line.
        ControlCharacter,
    };
    static Fault check(const QString& line);

    // Nothing when the line has no '+' or no blank after it.
    static std::optional<QueueEntry> parse(const QString& line);
    // The bracketed id the line starts with ("[12]"), else the whole line.
    static QString id(const QString& line);
    // The line as a status line may show it: control characters in caret
    // notation ("^C"), and an over-long line by its start and length.
    static QString shown(const QString& line);
};
