#pragma once

#include "common/SerialLine.h"

#include <QByteArrayList>
#include <deque>
#include <functional>

class HayesModem;

// A serial line on the installed clock, with one of two other ends: a script
// of replies, or smscsim's own modem and message centre. Every write is kept.
class FakeSerialLine : public SerialLine {
public:
    // Replies "trigger~bytes@ms" joined by " | ", in the transcript's spelling
    // ("<CR>"): each is released when a write holds its trigger (an empty one
    // comes with the reply before it) and arrives `ms` later. ECHO stands for
    // `echo`; HANGUP closes the line, as a hung-up port closes itself.
    void script(QString replies, const QByteArray& echo = {});
    // Bytes that arrive `afterMs` from now, whatever is written.
    void push(const QByteArray& bytes, qint64 afterMs = 0);
    // The simulator answers instead of the script: opening or closing the
    // port hangs it up, as on the pseudo-terminal.
    void setPeer(HayesModem* peer) { m_peer = peer; }
    // Runs before each write reaches the other end.
    std::function<void()> beforeWrite;

    bool open(const QString& device, const LineSettings& settings) override;
    bool close() override;
    bool isOpen() const override { return m_open; }
    void write(const QByteArray& bytes) override;
    QByteArray takeAvailable() override;
    bool waitForInput(qint64 ms) override;

    const QByteArrayList& writes() const { return m_writes; }
    int opens() const { return m_opens; }
    QString device() const { return m_device; }
    LineSettings settings() const { return m_settings; }
    // From the simulator: its transcript notes, and what it accepted in the
    // lines of its record file (number TAB text LF).
    const QStringList& notes() const { return m_notes; }
    QByteArray record() const { return m_record; }

private:
    static inline const QByteArray kHangUp = "\x01HANGUP\x01";
    struct Step {
        QByteArray trigger, bytes;
        qint64 afterMs;
    };
    void release();
    qint64 nextDue() const;

    std::deque<Step> m_script;
    std::deque<std::pair<qint64, QByteArray>> m_pending;
    HayesModem* m_peer = nullptr;
    QByteArrayList m_writes;
    QStringList m_notes;
    QByteArray m_record;
    bool m_open = false;
    int m_opens = 0;
    QString m_device;
    LineSettings m_settings;
};
