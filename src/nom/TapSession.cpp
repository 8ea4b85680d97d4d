#include "nom/TapSession.h"

#include "common/Win1252.h"
#include "nom/Modem.h"
#include "nom/StatusLog.h"
#include "nom/TapText.h"

using namespace TapText;

namespace {

const QByteArray kCR(1, CR);
const QByteArray kEotCR = QByteArray(1, EOT) + kCR;
const QByteArray kEscEotCR = QByteArray(1, ESC) + kEotCR;

const QString kReadyTimeout = QStringLiteral("Timed out waiting for Ready");
const QString kResponseTimeout = QStringLiteral("Timed out waiting for message response");

// The SMSC's answer line: the last line that stood before the word that
// ended the wait, with that word when it is text.
QString answerText(const QByteArray& before, const QByteArray& word) {
    QByteArray line;
    for (const QByteArray& l : before.split('\r')) {
        const QByteArray t = l.trimmed();
        if (!t.isEmpty())
            line = t;
    }
    if (word.size() > 1)
        line = before.mid(before.lastIndexOf('\r') + 1) + word;
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

bool TapSession::TAPLogin(QString& MessageResponse) {
    m_modem.WaitSecs(1);
    m_status.DisplayStatus(QStringLiteral("Logging In"));
    m_modem.AwaitString(QByteArray() + DC1 + EOT + CR, QByteArray(), 1);
    bool prompted = false;
    for (int attempt = 0; attempt < 4 && !prompted; ++attempt)
        prompted = m_modem.AwaitString(kCR, "ID=", 5) == Modem::kFound;
    if (!prompted) {
        MessageResponse = QStringLiteral("SMSC not responding");
        return false;
    }
    // Takes the SMSC's first answer line out of the buffer.
    m_modem.AwaitString(QByteArray(1, ESC) + "PG1" + kCR, kCR, 25);
    if (m_modem.AwaitString(QByteArray(), QByteArray(1, ESC) + "[p" + kCR, 30) != Modem::kFound) {
        MessageResponse = kReadyTimeout;
        endExchange();
        return false;
    }
    return true;
}

TapSession::Outcome TapSession::SendMessage(QString MobileNumber, QString MessageText,
                                            QString& MessageResponse) {
    IntFormatNumber(MobileNumber);
    m_status.DisplayStatus(MessageText);
    const QByteArray block = MakeTAPString(MobileNumber, MessageText);

    // Texts first, then the protocol's single characters: a rejection wins
    // over anything else in the same answer.
    enum { Failed, Refused, Resend, Successful, Acknowledged };
    const QList<QByteArray> answers{Modem::kRejectionText, QByteArray(1, RS), QByteArray(1, NAK),
                                    "successful", QByteArray(1, ACK)};
    int resends = 0;
    for (;;) {
        const Modem::Match m = m_modem.awaitFirst(block, answers, 60);
        if (m.index == Resend && resends < kMaxResends) {
            ++resends;
            continue;
        }
        if (m.index == Failed || m.index == Refused) {
            m_modem.clearBuffer();
            MessageResponse = QString::fromLatin1(Modem::kRejectionText);
            return Outcome::Rejected;
        }
        if (m.index == Successful || m.index == Acknowledged) {
            m_status.DisplayStatus(QStringLiteral("Message Accepted"));
            MessageResponse = answerText(m.before, answers[m.index]);
            bool ready;
            if (m.index == Successful) {
                m_modem.WaitSecs(1);
                ready = m_modem.AwaitString(QByteArray(), kCR, 25) == Modem::kFound &&
                        m_modem.AwaitString(QByteArray(), kCR, 5) == Modem::kFound;
            } else {
                ready = m_modem.AwaitString(QByteArray(), kCR, 5) == Modem::kFound;
            }
            if (ready)
                return Outcome::Accepted;
            MessageResponse = kReadyTimeout;
            endExchange();
            return Outcome::AcceptedLineLost;
        }
        // Silence, or a block still refused after its resends.
        MessageResponse = kResponseTimeout;
        endExchange();
        return Outcome::Failed;
    }
}

void TapSession::TAPLogout() {
    m_modem.AwaitString(kEotCR, kEscEotCR, 1);
    m_modem.AwaitString(kCR, "ID=", 3);
    m_modem.HangupModem();
}
