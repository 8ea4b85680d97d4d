#pragma once

#include <QByteArray>
#include <QByteArrayView>

// A vCard file's bytes as they are read, without the values of PHOTO, LOGO,
// SOUND and KEY: inline pictures and keys make most of a large address book,
// and the import takes only names and numbers.
class BlobFilter {
public:
    void add(QByteArrayView chunk);
    // What was kept, in file order.
    const QByteArray& kept() const { return m_kept; }

private:
    enum class Line { Start, Name, Keep, Drop };
    void decide();

    QByteArray m_kept;
    QByteArray m_name; // the start of a property line, until its name ends
    Line m_line = Line::Start;
    bool m_inBlob = false; // folded lines continue the property before them
};
