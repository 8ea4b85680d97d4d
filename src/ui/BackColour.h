#pragma once

#include "common/Colour.h"

#include <QColor>
#include <optional>

class QWidget;

inline QColor toQColor(const Colour& c) {
    return QColor(c.red, c.green, c.blue);
}

// Paints a window or panel (not its input fields) with the chosen colour.
void paintBackground(QWidget* widget, const Colour& colour);
// Does nothing while no colour has been chosen.
void paintBackground(QWidget* widget, const std::optional<Colour>& colour);
// White or orange (or any colour) for the base of a list or text box.
void paintBase(QWidget* widget, const Colour& colour);
