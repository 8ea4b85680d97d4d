#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class Installation;

// The message id counter in Config\MsgID.dat: the next free id. A send
// reserves its ids before making the first entry, so the file holds a free id
// whenever the program stops, and a send of thousands of entries costs one
// safe rewrite rather than thousands.
class MessageIdCounter {
public:
    // `listedEntries` gives the entries the window holds that may not be in
    // any file yet (outbox, scheduled list, operator queue).
    MessageIdCounter(const Installation& installation, std::function<QStringList()> listedEntries);

    // The first of `count` consecutive ids; the file then holds the one after
    // them. Under the id lock, so another program reserving at the same time
    // gets other ids. nullopt when the file cannot be written or locked
    // (nothing may be sent then).
    std::optional<qint64> reserve(int count);

    // The id the file holds; when it is missing, empty or not a number, one
    // more than the highest id in use (ids are never used twice, since
    // acceptance is matched by id).
    qint64 next() const;
    qint64 highestIdInUse() const;

    static QString fileName() { return QStringLiteral("Config\\MsgID.dat"); }
    static inline const QString kNotWritten =
        QStringLiteral("The message number file Config\\MsgID.dat cannot be written. "
                       "Nothing has been sent.");

private:
    const Installation& m_installation;
    std::function<QStringList()> m_listedEntries;
};
