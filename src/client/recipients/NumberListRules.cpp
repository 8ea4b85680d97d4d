#include "client/recipients/NumberListRules.h"

#include "common/MessageBox.h"

#include <QRegularExpression>

namespace NumberListRules {

namespace {

bool confirm(const QString& text, const QString& title) {
    return MessageBox::show(text, title, MessageBox::Icon::None, MessageBox::Buttons::YesNo,
                            MessageBox::Answer::No) == MessageBox::Answer::Yes;
}

} // namespace

std::optional<int> RemoveCurrentEntry(int count, int highlighted) {
    if (count == 0) {
        MessageBox::show("Please select the Freq. Dialed Number to be Deleted        ",
                         kQuorvelWarning, MessageBox::Icon::Warning);
        return std::nullopt;
    }
    if (!confirm("Are you sure you want to delete the selected Contact Number?", "Quorvel"))
        return -1;
    return highlighted >= 0 && highlighted < count ? highlighted : -1;
}

void ClearNumberList(int count, const std::function<void()>& clear) {
    if (count == 0) {
        MessageBox::show("Number List is empty     ", "Quorvel", MessageBox::Icon::Warning);
        return;
    }
    if (!confirm("Are you sure you want to delete all the Contact Numbers?", "Quorvel "))
        return;
    clear();
    MessageBox::show("Number List cleared     ", "Quorvel", MessageBox::Icon::Warning);
}

QStringList droppedEntries(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList out = text.split(lineBreak, Qt::SkipEmptyParts);
    out.removeAll(QStringLiteral("node"));
    return out;
}

} // namespace NumberListRules
