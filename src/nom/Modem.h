#pragma once

#include "common/ModemSequencer.h"
#include "common/SerialLine.h"
#include "mobile/MobileModems.h"
#include "nom/Failure.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

class BrindleConfig;
class StatusLog;

// The Hayes modem on the serial line: opening and closing the port, the wait
// primitives every exchange is built on, and reset, dial and hang-up.
// Time-outs are whole seconds on the installed clock: a wait of n seconds
// ends when the clock has passed n second boundaries.
class Modem {
public:
    static const QByteArray kRejectionText;
    // What the modem says when the call has ended.
    static const QByteArray kNoCarrier;

    // How a wait ended.
    enum class WaitResult {
        Found,
        TimedOut,
        // The rejection text came (AwaitString only).
        Rejected,
        // The call ended ("NO CARRIER", or the line hung up) before the text came.
        LineLost,
        // The program is ending.
        Cancelled,
    };

    // The modem screen shows at most the buffer's last this many characters.
    static constexpr qsizetype kScreenLimit = 4096;
    // How the screen changes: emptied, or its first characters dropped;
    // then `append` added at its end.
    struct ScreenChange {
        bool cleared = false;
        qsizetype dropFront = 0;
        QString append;
    };
    struct Display {
        std::function<void(const QString& portText)> port;
        std::function<void(const QString& settingsText)> lineSettings;
        std::function<void(const ScreenChange& change)> screen;
    };

    // The line settings and the dial string come from `config`; the port is
    // read again from Config\Port.cfg at every opening.
    Modem(SerialLine& line, StatusLog& status, const BrindleConfig& config);

    void setDisplay(Display display) { m_display = std::move(display); }
    // Where ModemManager is asked whether it holds the port (the system bus
    // unless set).
    void useModemManager(const MobileModems& modems) { m_modemManager = modems; }

    Failure OpenPort();
    bool ClosePort();
    bool isOpen() const { return m_line.isOpen(); }

    WaitResult AwaitString(const QByteArray& send, const QByteArray& wait, int timeout);
    // AwaitString on a connected call: the call ending ends the wait at once,
    // unless the text waited for came before the end.
    WaitResult awaitOnCall(const QByteArray& send, const QByteArray& wait, int timeout);

    // The earliest text of `waits` (in list order, not arrival order) seen
    // before the time-out: its index, with what stood before it in the
    // buffer; -1 when none came. Empty texts never match.
    struct Match {
        int index = -1;
        QByteArray before;
        WaitResult result = WaitResult::TimedOut;
    };
    Match AwaitMultiString(const QByteArray& send, const QList<QByteArray>& waits, int timeout);
    // The answer to a block, as AwaitMultiString on a connected call. Only
    // what arrives after the block is written counts, and not its echo: a
    // modem back in command state echoes the block, texts and all. A call
    // that has already ended gets no block.
    Match awaitAnswer(const QByteArray& block, const QList<QByteArray>& answers, int timeout);

    Failure InitModem();
    Failure DialService();
    void HangupModem();
    void WaitSecs(int seconds) { m_sequencer.waitSecs(seconds); }
    // A configured pause: whole seconds end at a second boundary as WaitSecs
    // does, any other number of milliseconds lasts exactly that long.
    void pause(int ms) { m_sequencer.pause(ms); }

    const BrindleConfig& config() const { return m_config; }

    // The program is ending: every wait returns at once and nothing more is sent.
    void cancel() { m_sequencer.setStopped(true); }
    bool cancelled() const { return m_sequencer.stopped(); }

    QByteArray buffer() const { return m_sequencer.buffer(); }
    void clearBuffer();

private:
    bool showScreen();
    WaitResult awaitString(const QByteArray& send, const QByteArray& wait, int timeout,
                           bool onCall);
    WaitResult ended() const;
    bool heldByModemManager(const QString& device) const;

    SerialLine& m_line;
    StatusLog& m_status;
    const BrindleConfig& m_config;
    Display m_display;
    std::optional<MobileModems> m_modemManager;
    // Whether the modem said "NO CARRIER" since the last dial: then it is in
    // command state, and a hang-up needs no escape.
    ModemSequencer m_sequencer{m_line, kNoCarrier};
    // Where the screen stands in everything the line has said.
    qint64 m_shownFrom = 0;
    qint64 m_shownTo = 0;
};
