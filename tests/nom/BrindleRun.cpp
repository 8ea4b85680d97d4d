#include "BrindleRun.h"

#include "common/ExchangeFiles.h"
#include "common/LineFile.h"

#include <gtest/gtest.h>

using namespace ExchangeFiles;

BrindleRun::BrindleRun() {
    inst.writeBytes(kPortFile, "1\r\n");
    inst.writeBytes(kComPorts, "/dev/fake-modem\r\n");
}

void BrindleRun::setConfigLine(int number, const QByteArray& text) {
    QList<QByteArray> lines = inst.bytes(kConfig).split('\n');
    for (QByteArray& l : lines)
        l.chop(l.endsWith('\r') ? 1 : 0);
    if (lines.last().isEmpty())
        lines.removeLast();
    while (lines.size() < number)
        lines << QByteArray();
    lines[number - 1] = text;
    inst.writeBytes(kConfig, lines.join("\r\n") + "\r\n");
}

void BrindleRun::queue(const QStringList& entries) {
    ASSERT_TRUE(appendToInbox(inst.appPath(), entries));
}

void BrindleRun::start() {
    brindle =
        std::make_unique<BrindleController>(line, inst.root() + "/NOM/UK/Cellnet", inst.root());
    QObject::connect(brindle.get(), &BrindleController::timer1Switched, [this](bool on) {
        m_nextTimer1 = on ? clock.monotonicMs() + BrindleController::kTimerIntervalMs : -1;
    });
    m_startMs = clock.monotonicMs();
    clock.onWait([this](qint64) {
        if (duringWait)
            duringWait();
        fireDue();
    });
    brindle->start();
    m_nextTimer2 = clock.monotonicMs() + BrindleController::kTimerIntervalMs;
}

void BrindleRun::fireDue() {
    if (!brindle || brindle->hasEnded())
        return;
    const qint64 now = clock.monotonicMs();
    if (m_nextTimer2 >= 0 && m_nextTimer2 <= now) {
        m_nextTimer2 += BrindleController::kTimerIntervalMs;
        brindle->Timer2_Timer();
        pinValues << LineFile::readLast(inst.file(kAlive)).toLongLong();
    }
    if (m_nextTimer1 >= 0 && m_nextTimer1 <= now) {
        m_nextTimer1 += BrindleController::kTimerIntervalMs;
        if (m_depth > 0)
            ++ticksInsideCycle;
        if (onTick && m_depth == 0)
            onTick();
        ++m_depth;
        brindle->Timer1_Timer();
        --m_depth;
    }
}

void BrindleRun::runToEnd(qint64 limitMs) {
    while (!brindle->hasEnded() && elapsedMs() < limitMs) {
        qint64 next = m_nextTimer2;
        if (m_nextTimer1 >= 0)
            next = std::min(next, m_nextTimer1);
        clock.waitMs(std::max<qint64>(1, next - clock.monotonicMs()));
    }
}

QStringList BrindleRun::statuses() const {
    QStringList out;
    for (const QString& logged : LineFile::readAll(inst.file("NOMMon\\Logs\\SMSC.log")))
        out << logged.mid(18);
    return out;
}
