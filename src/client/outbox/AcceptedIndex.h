#pragma once

#include <QByteArrayView>
#include <QSet>
#include <QString>

// The bracketed ids the operator module has reported accepted, read from
// Brindle.out. The file only grows, so each refresh reads just what was
// appended since the last one; a file that shrank or was replaced is read
// whole again. A poll's cost is then independent of the file's length.
class AcceptedIndex {
public:
    explicit AcceptedIndex(QString path);

    // Takes in what was appended; a missing file reads as empty.
    void refresh();
    // The key of a line or entry: everything up to and including its first
    // "]" ("" when it has none). Entries with a status prefix keep the key
    // from their first "[" on.
    static QString lineKey(const QString& line);
    static QString entryKey(const QString& entry);
    // lineKey of a line as the file holds it, decoding the key only.
    static QString rawLineKey(QByteArrayView line);
    bool contains(const QString& key) const { return m_keys.contains(key); }
    qsizetype size() const { return m_keys.size(); }
    const QSet<QString>& keys() const { return m_keys; }
    // How many times the file has been read from its start (for tests and figures).
    int fullReads() const { return m_fullReads; }

private:
    void reset();
    void takeLine(QByteArrayView bytes);

    QString m_path;
    QSet<QString> m_keys;
    qint64 m_offset = 0;
    quint64 m_inode = 0;
    QByteArray m_pending;    // a last line whose line end has not arrived yet
    qint64 m_pendingAt = -1; // file size when the pending tail was first seen
    int m_fullReads = 0;
};
