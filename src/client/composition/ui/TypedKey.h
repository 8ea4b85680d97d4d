#pragma once

#include <QChar>
#include <optional>

class QKeyEvent;

// What a key-down types, as the character filters see it: one character, or
// nothing for keys that edit or move (arrows, Backspace, Delete, Tab) and for
// shortcuts such as Ctrl+V. Enter counts as the character CR.
namespace TypedKey {

std::optional<QChar> character(const QKeyEvent& event);

} // namespace TypedKey
