#pragma once

#include "common/SerialLine.h"

#include <QByteArrayList>
#include <deque>
#include <functional>

// A scripted serial line on the installed clock. Replies are queued in script
// order; a reply with a trigger is released only when a write contains the
// trigger, one without follows the reply before it. A released reply arrives
// after its delay. Every write is recorded. A responder, when set, sees every
// write and may queue replies itself (for stateful peers).
class FakeSerialLine : public SerialLine {
public:
    FakeSerialLine& reply(const QByteArray& bytes, qint64 afterMs = 0);
    FakeSerialLine& on(const QByteArray& trigger, const QByteArray& bytes, qint64 afterMs = 0);
    // Queues bytes now, arriving after `afterMs`.
    void push(const QByteArray& bytes, qint64 afterMs = 0);
    void setResponder(std::function<void(const QByteArray& written)> responder) {
        m_responder = std::move(responder);
    }
    void failNextOpens(int n) { m_failOpens = n; }

    bool open(const QString& device, const LineSettings& settings) override;
    bool close() override;
    bool isOpen() const override { return m_open; }
    void write(const QByteArray& bytes) override;
    QByteArray takeAvailable() override;
    bool waitForInput(qint64 ms) override;

    const QByteArrayList& writes() const { return m_writes; }
    QByteArray written() const { return m_writes.join(); }
    int writeCount(const QByteArray& bytes) const;
    bool scriptDone() const { return m_script.empty(); }
    int opens() const { return m_opens; }
    QString device() const { return m_device; }
    LineSettings settings() const { return m_settings; }

private:
    struct Step {
        QByteArray trigger;
        QByteArray bytes;
        qint64 afterMs;
    };
    struct Pending {
        qint64 dueMs;
        QByteArray bytes;
    };
    void releaseUntriggered();

    std::deque<Step> m_script;
    std::deque<Pending> m_pending;
    std::function<void(const QByteArray&)> m_responder;
    QByteArrayList m_writes;
    bool m_open = false;
    int m_opens = 0;
    int m_failOpens = 0;
    QString m_device;
    LineSettings m_settings;
};
