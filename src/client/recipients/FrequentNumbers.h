#pragma once

#include "common/Notice.h"

#include <QString>
#include <QStringList>
#include <optional>

// The frequently dialled numbers: entries shaped like Number List entries,
// of which an add refuses a whole line already listed (exact, case-sensitive),
// kept in alphabetical order and written to Config\SpeedNos.dat after every
// change.
class FrequentNumbers {
public:
    static inline const QString kRelative = QStringLiteral("Config\\SpeedNos.dat");

    FrequentNumbers() = default;
    // Lines failing the entry test are dropped (and leave the file at the
    // next write); the rest is sorted, repeated lines included.
    explicit FrequentNumbers(QStringList lines);
    static FrequentNumbers load(const QString& appPath);
    // Atomic: a failed write keeps the previous file.
    bool save(const QString& appPath) const;

    const QStringList& items() const { return m_items; }
    qsizetype size() const { return m_items.size(); }
    bool contains(const QString& entry) const;
    // The position the entry takes; -1 (nothing changed) for a duplicate.
    qsizetype add(const QString& entry);
    void removeAt(qsizetype index);

    // The buttons' rules return the refusal the window shows.
    // "Add Number to Freq. Dialled Number List": add() with the refusal of a duplicate.
    WithNotice<qsizetype> addFrequentNumber(const QString& entry);
    // "Delete": refused (nothing removed) without a selection.
    std::optional<Notice> deleteFrequentNumber(int selected);
    // "Add To Number List" takes the box's text unless refused: nothing chosen.
    static std::optional<Notice> takeRefusal(const QString& boxText);

    // Alphabetical without regard to case; case breaks ties so the order is total.
    static bool before(const QString& a, const QString& b);

private:
    qsizetype lowerBound(const QString& entry) const;

    QStringList m_items;
};
