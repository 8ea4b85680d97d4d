#include "client/recipients/NumberEntry.h"

#include <algorithm>

namespace NumberEntry {

bool IsValidNumberEntry(const QString& line) {
    if (line.size() > MaxLength)
        return false;
    const QString t = line.trimmed();
    const qsizetype plus = t.indexOf('+');
    if (t.isEmpty() || plus < 0)
        return false;
    const QString rest = t.mid(plus + 1);
    if (rest.isEmpty())
        return false;
    bool ok = false;
    rest.trimmed().toDouble(&ok);
    // "inf" and "nan" parse as numbers but are no phone numbers.
    return ok && std::any_of(rest.begin(), rest.end(), [](QChar c) { return c.isDigit(); });
}

QString make(const QString& name, const QString& number) {
    return name + "  " + number;
}

} // namespace NumberEntry
