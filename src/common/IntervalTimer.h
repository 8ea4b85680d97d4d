#pragma once

#include <QObject>
#include <QTimer>

// A timer whose interval 0 means "not running": a plain QTimer started with
// interval 0 fires continuously, which would spin the delivery poll.
class IntervalTimer : public QObject {
    Q_OBJECT
public:
    explicit IntervalTimer(QObject* parent = nullptr);

    void setInterval(int ms);
    int interval() const { return m_interval; }
    // Does nothing while the interval is 0.
    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

signals:
    void timeout();

private:
    QTimer m_timer;
    int m_interval = 0;
};
