#include "nom/Failure.h"

QString statusText(Failure failure) {
    switch (failure) {
    case Failure::None:
    case Failure::Cancelled:
        return QString();
    case Failure::PortNotOpened:
        return QStringLiteral("Cannot Open Port");
    case Failure::PortHeld:
        return QStringLiteral("Cannot Open Port : held by ModemManager");
    case Failure::PortNotClosed:
        return QStringLiteral("Cannot Close Port");
    case Failure::NoModem:
        return QStringLiteral("No Modem Response");
    case Failure::Busy:
    case Failure::NoCarrier:
    case Failure::NoDialTone:
    case Failure::NoAnswer:
    case Failure::DialError:
    case Failure::DialTimedOut:
        return QStringLiteral("Failed to connect to SMSC");
    case Failure::NoPrompt:
        return QStringLiteral("SMSC not responding");
    case Failure::NoGoAhead:
    case Failure::NotReady:
        return QStringLiteral("Timed out waiting for Ready");
    case Failure::Rejected:
        return QStringLiteral("Message send failed");
    case Failure::AnswerTimedOut:
        return QStringLiteral("Timed out waiting for message response");
    case Failure::Resent:
        return QStringLiteral("Message not acknowledged by SMSC");
    case Failure::LineLost:
        return QStringLiteral("Connection to SMSC lost");
    case Failure::MobileMissing:
        return QStringLiteral("Mobile modem not found");
    case Failure::MobileUnusable:
        return QStringLiteral("Mobile modem not ready");
    case Failure::MobileLocked:
        return QStringLiteral("Mobile modem SIM locked");
    case Failure::MobileDisabled:
        return QStringLiteral("Mobile modem disabled");
    case Failure::NotRegistered:
        return QStringLiteral("Mobile modem not registered on a network");
    case Failure::NetworkRejected:
        return QStringLiteral("Message refused by the network");
    case Failure::SendTimedOut:
        return QStringLiteral("Timed out waiting for the mobile modem");
    case Failure::MobileGone:
        return QStringLiteral("Mobile modem gone while sending: the message may have been sent; "
                              "it will be sent again");
    }
    return QString();
}
