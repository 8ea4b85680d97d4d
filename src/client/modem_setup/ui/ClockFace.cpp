#include "client/modem_setup/ui/ClockFace.h"

#include "common/Clock.h"

#include <QPainter>

ClockFace::ClockFace(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
}

void ClockFace::paintEvent(QPaintEvent*) {
    const QTime t = Clock::instance().now().time();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal r = qMin(width(), height()) / 2.0 - 2;
    p.translate(width() / 2.0, height() / 2.0);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
    p.setBrush(palette().color(QPalette::Base));
    p.drawEllipse(QPointF(0, 0), r, r);
    for (int h = 0; h < 12; ++h) {
        p.save();
        p.rotate(h * 30.0);
        p.drawLine(QPointF(0, -r + 1), QPointF(0, -r + 4));
        p.restore();
    }
    const auto hand = [&](qreal degrees, qreal length, qreal width, const QColor& colour) {
        p.save();
        p.rotate(degrees);
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, 0), QPointF(0, -length));
        p.restore();
    };
    const QColor text = palette().color(QPalette::WindowText);
    hand(30.0 * (t.hour() % 12 + t.minute() / 60.0), r * 0.5, 2.5, text);
    hand(6.0 * (t.minute() + t.second() / 60.0), r * 0.75, 1.8, text);
    hand(6.0 * (t.second() + t.msec() / 1000.0), r * 0.85, 1.0, Qt::red);
}
