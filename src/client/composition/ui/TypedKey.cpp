#include "client/composition/ui/TypedKey.h"

#include <QKeyEvent>

namespace TypedKey {

std::optional<QChar> character(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return QChar('\r');
    const QString text = event.text();
    if (text.isEmpty())
        return std::nullopt;
    const QChar c = text[0];
    if (c.unicode() < 32 || c.unicode() == 127)
        return std::nullopt;
    if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return std::nullopt;
    return c;
}

} // namespace TypedKey
