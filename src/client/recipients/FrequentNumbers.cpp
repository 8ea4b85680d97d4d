#include "client/recipients/FrequentNumbers.h"

#include "client/recipients/NumberEntry.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

#include <algorithm>

namespace {
QString path(const QString& appPath) {
    return InstallPath::resolve(appPath, FrequentNumbers::kRelative);
}
} // namespace

FrequentNumbers::FrequentNumbers(QStringList lines) : m_items(std::move(lines)) {
    m_items.removeIf([](const QString& l) { return !NumberEntry::IsValidNumberEntry(l); });
    // A line the file repeats stays: only an add refuses a duplicate.
    std::sort(m_items.begin(), m_items.end(), &FrequentNumbers::before);
}

FrequentNumbers FrequentNumbers::load(const QString& appPath) {
    return FrequentNumbers(LineFile::readAll(path(appPath)));
}

bool FrequentNumbers::save(const QString& appPath) const {
    return LineFile::rewrite(path(appPath), m_items);
}

bool FrequentNumbers::before(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

qsizetype FrequentNumbers::lowerBound(const QString& entry) const {
    return std::lower_bound(m_items.begin(), m_items.end(), entry, &FrequentNumbers::before) -
           m_items.begin();
}

bool FrequentNumbers::contains(const QString& entry) const {
    const qsizetype i = lowerBound(entry);
    return i < m_items.size() && m_items[i] == entry;
}

qsizetype FrequentNumbers::add(const QString& entry) {
    const qsizetype i = lowerBound(entry);
    if (i < m_items.size() && m_items[i] == entry)
        return -1;
    m_items.insert(i, entry);
    return i;
}

void FrequentNumbers::removeAt(qsizetype index) {
    if (index >= 0 && index < m_items.size())
        m_items.removeAt(index);
}

WithNotice<qsizetype> FrequentNumbers::addFrequentNumber(const QString& entry) {
    const qsizetype at = add(entry);
    if (at < 0)
        return {at, Notice{"Name and Number already exists        "}};
    return {at, std::nullopt};
}

std::optional<Notice> FrequentNumbers::deleteFrequentNumber(int selected) {
    if (selected < 0 || selected >= m_items.size())
        return Notice{"Please select freq. dialed number to be deleted      "};
    m_items.removeAt(selected);
    return std::nullopt;
}

std::optional<Notice> FrequentNumbers::takeRefusal(const QString& boxText) {
    if (boxText.isEmpty() || boxText == "Please Select a Number")
        return Notice{"Please select a Number        "};
    return std::nullopt;
}
