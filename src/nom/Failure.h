#pragma once

#include <QString>

// Why a step with the port, the modem or the SMSC failed. Decisions look at
// the kind; its status text is only for the log.
enum class Failure {
    None,
    PortNotOpened,
    // ModemManager has the port's device: opening it would fight it.
    PortHeld,
    PortNotClosed,
    NoModem,
    // The dial's answers.
    Busy,
    NoCarrier,
    NoDialTone,
    NoAnswer,
    DialError,
    DialTimedOut,
    NoPrompt,
    NoGoAhead,
    Rejected,
    AnswerTimedOut,
    // The SMSC asked for the block again (NAK) after every resend.
    Resent,
    // The SMSC accepted the message, but its closing lines did not follow.
    NotReady,
    // The call ended before the SMSC answered.
    LineLost,
    // A mobile modem (ModemManager's): not there, not fit to send, or what
    // its send ended with.
    MobileMissing,
    MobileUnusable,
    MobileLocked,
    MobileDisabled,
    NotRegistered,
    NetworkRejected,
    SendTimedOut,
    // The modem went away during a send: the message may have gone out.
    MobileGone,
    // The program is ending: nothing is reported.
    Cancelled,
};

// The status text that reports `failure`; empty for None and Cancelled.
QString statusText(Failure failure);
