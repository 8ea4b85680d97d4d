#include "ScriptedSmsc.h"

#include "nom/TapText.h"

using namespace TapText;

ScriptedSmsc::ScriptedSmsc(FakeSerialLine& line) : m_line(line) {
    m_line.setResponder([this](const QByteArray& b) { onWrite(b); });
}

void ScriptedSmsc::onWrite(const QByteArray& bytes) {
    if (beforeEachWrite)
        beforeEachWrite();
    if (m_line.opens() != m_seenOpens) {
        // The port was closed and opened again: the call ended with it.
        m_seenOpens = m_line.opens();
        m_online = false;
    }
    if (!m_online) {
        if (silentModem)
            return;
        if (echo)
            say(bytes);
        if (bytes.startsWith("ATDT")) {
            ++dials;
            const bool connects = dialResult.startsWith("CONNECT");
            say("\r\n" + dialResult + "\r\n", connectDelayMs);
            m_online = connects;
        } else if (bytes == "ATZ\r" || bytes == "AT\r" || bytes == "ATH\r") {
            say("\r\nOK\r\n");
        }
        return;
    }
    if (bytes == "+++") {
        m_online = false;
        say("\r\nOK\r\n", 1000);
    } else if (bytes == "\r") {
        if (!noIdPrompt)
            say("ID=");
    } else if (bytes == QByteArray(1, ESC) + "PG1\r") {
        ++logons;
        say("110 1.8\r");
        if (!noGoAhead)
            say(QByteArray(1, ESC) + "[p\r");
    } else if (bytes.startsWith(QByteArray(1, STX))) {
        onBlock(bytes);
    } else if (bytes == QByteArray(1, EOT) + "\r") {
        say(QByteArray(1, ESC) + QByteArray(1, EOT) + "\r");
        say("\r\nNO CARRIER\r\n", 500);
        m_online = false;
    }
}

void ScriptedSmsc::onBlock(const QByteArray& block) {
    ++blocks;
    const QByteArray body = block.left(block.size() - 4);
    if (checksum(body) != block.mid(block.size() - 4, 3) || blocks <= nakFirst) {
        say(QByteArray(1, NAK) + "\r");
        return;
    }
    if (rejectEvery > 0 && blocks % rejectEvery == 0) {
        say("Message send failed\r");
        return;
    }
    if (answer == Answer::Silent)
        return;
    if (answer == Answer::Rs) {
        say("213 " + QByteArray(1, RS) + "\r");
        return;
    }
    const QList<QByteArray> fields = body.mid(1).split('\r');
    accepted << Message{QString::fromLatin1(fields.value(0)), QString::fromLatin1(fields.value(1))};
    logonOfMessage << logons;
    switch (answer) {
    case Answer::Successful:
        say("Message sent successful\r" + QByteArray(1, ACK) + "\r");
        break;
    case Answer::TerseAck:
        say("211 " + QByteArray(1, ACK) + "\r");
        break;
    case Answer::CapitalS:
        say("Message sent Successfully\r" + QByteArray(1, ACK) + "\r");
        break;
    case Answer::NoCrsAfter:
        say("Message sent successful");
        break;
    default:
        break;
    }
    if (accepted.size() == dropAfter) {
        say("\r\nNO CARRIER\r\n");
        m_online = false;
    }
}
