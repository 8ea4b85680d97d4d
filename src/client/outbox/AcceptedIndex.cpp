#include "client/outbox/AcceptedIndex.h"

#include "common/Win1252.h"

#include <QFile>
#include <sys/stat.h>

AcceptedIndex::AcceptedIndex(QString path) : m_path(std::move(path)) {}

QString AcceptedIndex::lineKey(const QString& line) {
    const qsizetype close = line.indexOf(']');
    return close < 0 ? QString() : line.left(close + 1);
}

QString AcceptedIndex::entryKey(const QString& entry) {
    const qsizetype open = entry.indexOf('[');
    const qsizetype close = entry.indexOf(']');
    if (open < 0 || close < open)
        return QString();
    return entry.mid(open, close - open + 1);
}

void AcceptedIndex::reset() {
    m_keys.clear();
    m_offset = 0;
    m_pending.clear();
    m_pendingAt = -1;
    ++m_fullReads;
}

QString AcceptedIndex::rawLineKey(QByteArrayView line) {
    const qsizetype close = line.indexOf(']');
    return close < 0 ? QString() : Win1252::decode(line.first(close + 1).toByteArray());
}

void AcceptedIndex::takeLine(QByteArrayView bytes) {
    // Only the key is kept, so only the key is decoded.
    if (const QString key = rawLineKey(bytes); !key.isEmpty())
        m_keys.insert(key);
}

void AcceptedIndex::refresh() {
    struct stat st {};
    const QByteArray native = QFile::encodeName(m_path);
    if (::stat(native.constData(), &st) != 0) {
        if (m_offset != 0 || !m_keys.isEmpty() || m_fullReads == 0)
            reset();
        return;
    }
    const auto size = static_cast<qint64>(st.st_size);
    const auto inode = static_cast<quint64>(st.st_ino);
    if (m_fullReads == 0 || inode != m_inode || size < m_offset + m_pending.size())
        reset();
    m_inode = inode;
    const qint64 known = m_offset + m_pending.size();
    if (size > known) {
        QFile f(m_path);
        if (!f.open(QIODevice::ReadOnly) || !f.seek(known))
            return;
        QByteArray chunk = m_pending + f.readAll();
        m_pending.clear();
        m_pendingAt = -1;
        qsizetype start = 0;
        const char* data = chunk.constData();
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            if (data[i] == '\n' || data[i] == '\r') {
                takeLine(QByteArrayView(data + start, i - start));
                start = i + 1;
            }
        }
        // The chunk starts at m_offset; what follows its last line end waits.
        m_offset += start;
        m_pending = chunk.mid(start);
        if (!m_pending.isEmpty())
            m_pendingAt = m_offset + m_pending.size();
        return;
    }
    // A tail without its line end that stayed so for a whole poll is a line
    // (a file written without a final CR LF).
    if (!m_pending.isEmpty() && m_pendingAt == size) {
        takeLine(m_pending);
        m_offset += m_pending.size();
        m_pending.clear();
        m_pendingAt = -1;
    }
}
