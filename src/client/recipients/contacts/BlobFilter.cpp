#include "client/recipients/contacts/BlobFilter.h"

void BlobFilter::decide() {
    QByteArray name = m_name;
    if (const qsizetype end = name.indexOf(':'); end >= 0)
        name.truncate(end);
    if (const qsizetype end = name.indexOf(';'); end >= 0)
        name.truncate(end);
    name = name.trimmed().toUpper();
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name.remove(0, dot + 1); // item1.PHOTO
    m_inBlob = name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY";
    m_line = m_inBlob ? Line::Drop : Line::Keep;
    if (!m_inBlob)
        m_kept += m_name;
    m_name.clear();
}

void BlobFilter::add(QByteArrayView chunk) {
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        const char c = chunk[i];
        if (m_line == Line::Start) {
            if (c == ' ' || c == '\t') {
                m_line = m_inBlob ? Line::Drop : Line::Keep;
            } else {
                m_line = Line::Name;
            }
        }
        if (m_line == Line::Name) {
            m_name += c;
            if (c == ':' || c == ';' || c == '\n' || c == '\r' || m_name.size() > 256)
                decide();
        } else if (m_line == Line::Keep) {
            // The rest of a kept line in one piece.
            const qsizetype end = chunk.sliced(i).indexOf('\n');
            const qsizetype n = end < 0 ? chunk.size() - i : end + 1;
            m_kept += chunk.sliced(i, n);
            i += n - 1;
            if (end >= 0)
                m_line = Line::Start;
            continue;
        } else if (m_line == Line::Drop) {
            const qsizetype end = chunk.sliced(i).indexOf('\n');
            if (end < 0)
                return;
            i += end;
            // The line end stays: a card's lines keep their places.
            m_kept += '\n';
            m_line = Line::Start;
            continue;
        }
        if (c == '\n')
            m_line = Line::Start;
    }
}
