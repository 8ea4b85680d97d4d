#include "client/recipients/NumberListRules.h"

#include <QRegularExpression>

namespace NumberListRules {

namespace {

Notice question(const QString& text, const QString& title) {
    return {text, title, Notice::Mark::None, true};
}

} // namespace

std::optional<Notice> removeRefusal(int count) {
    if (count > 0)
        return std::nullopt;
    return Notice{"Please select the Freq. Dialed Number to be Deleted        "};
}

Notice removeQuestion() {
    return question("Are you sure you want to delete the selected Contact Number?", "Quorvel");
}

int removedRow(int count, int highlighted) {
    return highlighted >= 0 && highlighted < count ? highlighted : -1;
}

std::optional<Notice> clearRefusal(int count) {
    if (count > 0)
        return std::nullopt;
    return Notice{"Number List is empty     ", "Quorvel"};
}

Notice clearQuestion() {
    return question("Are you sure you want to delete all the Contact Numbers?", "Quorvel ");
}

Notice clearedNotice() {
    return {"Number List cleared     ", "Quorvel"};
}

QStringList droppedEntries(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList out = text.split(lineBreak, Qt::SkipEmptyParts);
    out.removeAll(QStringLiteral("node"));
    return out;
}

} // namespace NumberListRules
