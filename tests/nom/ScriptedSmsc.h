#pragma once

#include "support/FakeSerialLine.h"

#include <QList>
#include <QPair>
#include <QString>
#include <functional>

// A Hayes modem with a paging SMSC behind it, as a responder on a fake line:
// enough state to drive whole runs of the main loop in unit tests.
class ScriptedSmsc {
public:
    enum class Answer { Successful, TerseAck, CapitalS, NoCrsAfter, Silent, Rs };

    explicit ScriptedSmsc(FakeSerialLine& line);

    // Fault knobs.
    bool silentModem = false;
    QByteArray dialResult = "CONNECT 9600";
    bool noIdPrompt = false;
    bool noGoAhead = false;
    int rejectEvery = 0; // every Nth block answered "Message send failed"
    int nakFirst = 0;    // the first N blocks answered NAK
    Answer answer = Answer::Successful;
    qint64 connectDelayMs = 3000;
    // In command state the modem echoes what it is sent.
    bool echo = false;
    // The call drops ("NO CARRIER") right after the Nth accepted message.
    int dropAfter = 0;

    struct Message {
        QString number;
        QString text;
    };
    // Runs before the peer looks at each write.
    std::function<void()> beforeEachWrite;

    QList<Message> accepted;
    int logons = 0;
    int dials = 0;
    int blocks = 0;
    // For each accepted message, the number of log-ons so far.
    QList<int> logonOfMessage;

private:
    void onWrite(const QByteArray& bytes);
    void onBlock(const QByteArray& block);
    void say(const QByteArray& bytes, qint64 afterMs = 0) { m_line.push(bytes, afterMs); }

    FakeSerialLine& m_line;
    bool m_online = false;
    int m_seenOpens = 0;
};
