#pragma once

#include "nom/Failure.h"

#include <QString>

class Modem;
class StatusLog;

// Log-on, submission and log-off with the SMSC over a connected modem.
class TapSession {
public:
    // A block the SMSC asks for again (NAK) is sent at most this many more times.
    static constexpr int kMaxResends = 3;

    struct Result {
        // The SMSC took the message; a failure after that only ends the call.
        bool accepted = false;
        Failure failure = Failure::None;
        // The SMSC's answer line to an accepted message.
        QString answer;
    };

    TapSession(Modem& modem, StatusLog& status);

    Failure TAPLogin();
    Result SendMessage(QString MobileNumber, QString MessageText);
    void TAPLogout();

private:
    void endExchange();

    Modem& m_modem;
    StatusLog& m_status;
};
