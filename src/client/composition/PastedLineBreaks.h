#pragma once

#include <QList>
#include <QString>

// What each line break of the message box stood for when it arrived. The box
// shows a pasted CR LF, CR or LF alike as one paragraph break; the message
// keeps the characters: a CR LF pair counts two and becomes two blanks at
// loss of focus, a lone CR or LF counts one and becomes one.
class PastedLineBreaks {
public:
    // The breaks a text brings, in the order the box makes them: 2 for a CR
    // LF pair, 1 for any other.
    static QList<int> lengthsIn(const QString& text);
    // The text as the box holds it, each break one paragraph separator.
    static QString asParagraphs(const QString& text);

    qsizetype count() const { return m_lengths.size(); }
    // Breaks [first, first + erased) gave way to `inserted`, lengths as
    // lengthsIn gives them.
    void replace(qsizetype first, qsizetype erased, const QList<int>& inserted);
    QList<int> mid(qsizetype first, qsizetype n) const { return m_lengths.mid(first, n); }
    // Characters the box does not show: one for each CR LF pair among the
    // first `breaks` breaks, or among all of them.
    qsizetype extraBefore(qsizetype breaks) const;
    qsizetype extra() const { return m_pairs; }
    // The box's text as it holds it (a paragraph separator for each break)
    // with every break turned into as many blanks as characters it stood for.
    QString spaced(const QString& paragraphs) const;

private:
    QList<int> m_lengths;
    qsizetype m_pairs = 0;
};
