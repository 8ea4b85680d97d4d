#include "nom/TapSession.h"

#include "common/Win1252.h"
#include "nom/BrindleConfig.h"
#include "nom/Modem.h"
#include "nom/StatusLog.h"
#include "nom/TapText.h"

using namespace TapText;

namespace {

const QByteArray kCR(1, CR);
const QByteArray kEotCR = QByteArray(1, EOT) + kCR;
const QByteArray kEscEotCR = QByteArray(1, ESC) + kEotCR;

using Wait = Modem::WaitResult;

// The SMSC's answer line: the last line that stood before the word that
// ended the wait, with that word when it is text.
QString answerText(const QByteArray& before, const QByteArray& word) {
    // It goes to the status log as one line: a line feed ends a line too.
    QByteArray lines = before;
    lines.replace('\n', '\r');
    QByteArray line;
    for (const QByteArray& l : lines.split('\r')) {
        const QByteArray t = l.trimmed();
        if (!t.isEmpty())
            line = t;
    }
    if (word.size() > 1)
        line = lines.mid(lines.lastIndexOf('\r') + 1) + word;
    // Noise on the line carries no meaning, and must not reach the log raw.
    line.removeIf([](char c) { return (c >= 0 && c < 32) || c == 127; });
    QString text = Win1252::decode(line);
    while (!text.isEmpty() && text.front().unicode() < 33)
        text.remove(0, 1);
    StripTail(text);
    return text;
}

} // namespace

TapSession::TapSession(Modem& modem, StatusLog& status) : m_modem(modem), m_status(status) {}

void TapSession::endExchange() {
    m_modem.AwaitString(kEotCR, kEscEotCR, 10);
}

Failure TapSession::TAPLogin() {
    m_modem.pause(m_modem.config().tuning.logonPauseMs);
    if (m_modem.cancelled())
        return Failure::Cancelled;
    m_status.DisplayStatus(QStringLiteral("Logging In"));
    // A call that ends during the log-on ends it at once: nothing more can come.
    Wait w = m_modem.awaitOnCall(QByteArray() + DC1 + EOT + CR, QByteArray(), 1);
    bool prompted = false;
    for (int attempt = 0; attempt < 4 && !prompted && w != Wait::LineLost; ++attempt) {
        w = m_modem.awaitOnCall(kCR, "ID=", 5);
        prompted = w == Wait::Found;
    }
    if (w == Wait::Cancelled)
        return Failure::Cancelled;
    if (!prompted)
        return Failure::NoPrompt;
    // Takes the SMSC's first answer line out of the buffer.
    w = m_modem.awaitOnCall(QByteArray(1, ESC) + "PG1" + kCR, kCR, 25);
    if (w != Wait::LineLost)
        w = m_modem.awaitOnCall(QByteArray(), QByteArray(1, ESC) + "[p" + kCR, 30);
    if (w == Wait::Found)
        return Failure::None;
    if (w == Wait::Cancelled)
        return Failure::Cancelled;
    if (w != Wait::LineLost)
        endExchange();
    return Failure::NoGoAhead;
}

TapSession::Result TapSession::SendMessage(QString MobileNumber, QString MessageText) {
    IntFormatNumber(MobileNumber);
    m_status.DisplayStatus(MessageText);
    const QByteArray block = MakeTAPString(MobileNumber, MessageText);

    // Texts first, then the protocol's single characters: a rejection wins
    // over anything else in the same answer.
    enum { Failed, Refused, Resend, Successful, Acknowledged };
    const QList<QByteArray> answers{Modem::kRejectionText, QByteArray(1, RS), QByteArray(1, NAK),
                                    "successful", QByteArray(1, ACK)};
    int resends = 0;
    Modem::Match m;
    do {
        m = m_modem.awaitAnswer(block, answers, 60);
    } while (m.index == Resend && resends++ < kMaxResends);

    Result r;
    if (m.result == Wait::LineLost || m.result == Wait::Cancelled) {
        r.failure = m.result == Wait::LineLost ? Failure::LineLost : Failure::Cancelled;
        return r;
    }
    if (m.index == Failed || m.index == Refused) {
        m_modem.clearBuffer();
        r.failure = Failure::Rejected;
        return r;
    }
    if (m.index != Successful && m.index != Acknowledged) {
        // Silence, or a block still asked for again after its resends.
        endExchange();
        r.failure = m.index == Resend ? Failure::Resent : Failure::AnswerTimedOut;
        return r;
    }
    r.accepted = true;
    m_status.DisplayStatus(QStringLiteral("Message Accepted"));
    r.answer = answerText(m.before, answers[m.index]);
    // The acceptance stands whatever follows; a call that ends now is only
    // lost for the messages after this one.
    Wait ready = Wait::Found;
    if (m.index == Successful) {
        m_modem.pause(m_modem.config().tuning.acceptPauseMs);
        ready = m_modem.awaitOnCall(QByteArray(), kCR, 25);
    }
    if (ready == Wait::Found)
        ready = m_modem.awaitOnCall(QByteArray(), kCR, 5);
    if (ready == Wait::Cancelled) {
        r.failure = Failure::Cancelled;
    } else if (ready == Wait::LineLost) {
        r.failure = Failure::LineLost;
    } else if (ready != Wait::Found) {
        r.failure = Failure::NotReady;
        endExchange();
    }
    return r;
}

void TapSession::TAPLogout() {
    m_modem.AwaitString(kEotCR, kEscEotCR, 1);
    // The centre drops the call after its ESC EOT: no prompt can follow then.
    m_modem.awaitOnCall(kCR, "ID=", 3);
    m_modem.HangupModem();
}
