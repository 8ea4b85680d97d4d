#include "ui/BackColour.h"

#include <QPalette>
#include <QWidget>

void paintBackground(QWidget* widget, const Colour& colour) {
    if (!widget)
        return;
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, toQColor(colour));
    p.setColor(QPalette::Button, toQColor(colour));
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void paintBackground(QWidget* widget, const std::optional<Colour>& colour) {
    if (colour)
        paintBackground(widget, *colour);
}

void paintBase(QWidget* widget, const Colour& colour) {
    if (!widget)
        return;
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, toQColor(colour));
    widget->setPalette(p);
}
