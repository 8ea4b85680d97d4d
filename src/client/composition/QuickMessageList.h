#pragma once

#include "common/Notice.h"

#include <QString>
#include <QStringList>
#include <optional>

// The stock texts of config\QuickMsg.Dat, one per line in list order; the
// working copy the "Add Quick Message" dialog edits and writes back whole.
class QuickMessageList {
public:
    // What the dialog's box takes; stored lines may be longer and stay whole.
    static constexpr int MaxLength = 120;
    // Far longer than any stock text: a longer stored line is damage.
    static constexpr int MaxStoredLength = 1024;
    static inline const QString kRelative = QStringLiteral("config\\QuickMsg.Dat");

    QuickMessageList() = default;
    explicit QuickMessageList(QStringList entries) : m_entries(std::move(entries)) {}

    // Every line is an entry, whole, an empty one included; only a damaged
    // line beyond MaxStoredLength is cut. A missing file gives none.
    static QStringList read(const QString& appPath);
    static QuickMessageList load(const QString& appPath) { return QuickMessageList(read(appPath)); }
    // Atomic: a failed write leaves the previous file.
    bool save(const QString& appPath) const;

    const QStringList& entries() const { return m_entries; }

    // Trimmed and appended; an empty text and one already listed (exact,
    // case-sensitive) are refused, the refusal returned.
    std::optional<Notice> add(const QString& text);
    // A deletion is refused when nothing is selected; otherwise the window
    // asks deleteQuestion() and removes the entry on Yes.
    std::optional<Notice> deleteRefusal(int selected) const;
    static Notice deleteQuestion();
    void remove(int selected) { m_entries.removeAt(selected); }

private:
    QStringList m_entries;
};
