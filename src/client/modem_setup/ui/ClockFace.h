#pragma once

#include <QWidget>

// The small analogue clock the connection dialog shows while it dials: its
// hands follow the current time each time it is painted.
class ClockFace : public QWidget {
    Q_OBJECT
public:
    explicit ClockFace(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {48, 48}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};
