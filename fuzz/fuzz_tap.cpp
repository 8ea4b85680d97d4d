// The modem's result codes and the SMSC's TAP answers as bytes arriving in
// any split (the first input bytes choose the pieces; one bit hangs the line
// up after the last). A step succeeds only on what was heard, the buffer
// stays bounded, and an accepted message's answer is one line.
#include "FuzzSupport.h"
#include "common/Clock.h"
#include "nom/BrindleConfig.h"
#include "nom/Modem.h"
#include "nom/StatusLog.h"
#include "nom/TapSession.h"
#include "nom/TapText.h"

#include <deque>

using Fuzz::check;

namespace {

class FuzzClock : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 5), QTime(16, 20)); }
    qint64 monotonicMs() const override { return m_ms; }
    void waitMs(qint64 ms) override { m_ms += ms; }
    void pumpEvents(qint64 ms) override { m_ms += ms; }
    qint64 m_ms = 1000000;
};

// One piece arrives at each wait for input; then only time passes.
class PieceLine : public SerialLine {
public:
    PieceLine(FuzzClock& clock, QList<QByteArray> pieces, bool hangUp)
        : m_clock(clock), m_pieces(pieces.begin(), pieces.end()), m_hangUp(hangUp) {}
    bool open(const QString&, const LineSettings&) override { return m_open = true; }
    bool close() override {
        m_open = false;
        return true;
    }
    bool isOpen() const override { return m_open; }
    void write(const QByteArray&) override {}
    QByteArray takeAvailable() override { return std::exchange(m_arrived, {}); }
    bool waitForInput(qint64 ms) override {
        if (m_pieces.empty()) {
            m_open = m_open && !m_hangUp;
            m_clock.waitMs(ms);
            return false;
        }
        m_arrived += m_pieces.front();
        m_heard += m_pieces.front();
        m_pieces.pop_front();
        m_clock.waitMs(1);
        return true;
    }
    QByteArray heard() const { return m_heard + m_arrived; }

private:
    FuzzClock& m_clock;
    std::deque<QByteArray> m_pieces;
    QByteArray m_arrived;
    QByteArray m_heard;
    bool m_hangUp;
    bool m_open = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::Input in(data, size);
    const bool hangUp = in.byte() & 1;
    FuzzClock clock;
    Clock* previous = Clock::install(&clock);
    PieceLine line(clock, in.pieces(), hangUp);
    BrindleConfig config;
    config.smscNumber = "0123";
    StatusLog status;
    Modem modem(line, status, config);
    TapSession tap(modem, status);
    line.open({}, {});
    const auto heard = [&](const QByteArray& text) { return line.heard().contains(text); };

    if (modem.InitModem() == Failure::None)
        check(heard("OK\r"), "modem reset without OK");
    const Failure dial = modem.DialService();
    check(dial != Failure::None || heard("CONNECT"), "connected without CONNECT");
    check(dial != Failure::Busy || heard("BUSY"), "busy without BUSY");
    check(dial != Failure::NoDialTone || heard("NO DIALTONE"), "no dial tone unheard");
    if (tap.TAPLogin() == Failure::None)
        check(heard("ID=") && heard("\x1b[p\r"), "logged on without prompt and go-ahead");
    for (int i = 0; i < 2; ++i) {
        const TapSession::Result r = tap.SendMessage("+447700900123", "Hello");
        if (r.accepted) {
            check(heard("successful") || heard("\x06"), "accepted unheard");
            check(!r.answer.contains('\r') && !r.answer.contains('\n'),
                  "answer is more than one line", r.answer);
            check(r.answer.isEmpty() || r.answer.front().unicode() >= 33, "answer starts blank",
                  r.answer);
        }
        if (r.failure == Failure::Rejected)
            check(heard(Modem::kRejectionText) || heard("\x1e"), "rejected unheard");
        check(modem.buffer().size() <= 64 * 1024, "buffer unbounded");
    }
    tap.TAPLogout();
    Clock::install(previous);
    return 0;
}
