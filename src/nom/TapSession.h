#pragma once

#include <QString>

class Modem;
class StatusLog;

// Log-on, submission and log-off with the SMSC over a connected modem.
class TapSession {
public:
    enum class Outcome {
        Accepted,
        // Accepted, but the line then failed: record it, then end the cycle.
        AcceptedLineLost,
        // The SMSC refused this message: drop it.
        Rejected,
        // The call ended before the SMSC answered: the message was not sent.
        LineLost,
        Failed,
    };

    // A block the SMSC asks for again (NAK) is sent at most this many more times.
    static constexpr int kMaxResends = 3;

    TapSession(Modem& modem, StatusLog& status);

    bool TAPLogin(QString& MessageResponse);
    Outcome SendMessage(QString MobileNumber, QString MessageText, QString& MessageResponse);
    void TAPLogout();

private:
    void endExchange();

    Modem& m_modem;
    StatusLog& m_status;
};
