#include "BrindleSimTest.h"

#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "smscsim/SimScript.h"

using namespace ExchangeFiles;

BrindleSim::BrindleSim() {
    inst.writeBytes(kPortFile, "1\r\n");
    inst.writeBytes(kComPorts, "/dev/fake-modem\r\n");
    line.setPeer(&modem);
}

void BrindleSim::setConfigLine(int number, const QByteArray& text) {
    QStringList all = LineFile::readAll(inst.file(kConfig));
    while (all.size() < number)
        all << QString();
    all[number - 1] = QString::fromLatin1(text);
    LineFile::rewrite(inst.file(kConfig), all);
}

void BrindleSim::simulate(const std::string& arguments) {
    sim = ModemScript(arguments).options;
}

void BrindleSim::queue(const QStringList& entries) {
    ASSERT_TRUE(appendToInbox(inst.appPath(), entries));
}

void BrindleSim::start() {
    brindle =
        std::make_unique<BrindleController>(line, inst.root() + "/NOM/UK/Cellnet", inst.root());
    QObject::connect(brindle.get(), &BrindleController::sendTimerSwitched, [this](bool on) {
        m_nextTimer1 = on ? clock.monotonicMs() + BrindleController::kTimerIntervalMs : -1;
    });
    m_startMs = clock.monotonicMs();
    clock.onWait([this](qint64) {
        if (duringWait)
            duringWait();
        fireDue();
    });
    brindle->start();
    if (brindle->sendTimerOn())
        m_nextTimer1 = clock.monotonicMs() + brindle->config().tuning.firstTickMs;
    m_nextTimer2 = clock.monotonicMs() + BrindleController::kTimerIntervalMs;
}

void BrindleSim::fireDue() {
    if (!brindle || brindle->hasEnded())
        return;
    const qint64 now = clock.monotonicMs();
    if (m_nextTimer2 >= 0 && m_nextTimer2 <= now) {
        m_nextTimer2 += BrindleController::kTimerIntervalMs;
        brindle->aliveTick();
        pinValues << LineFile::readLast(inst.file(kAlive)).toLongLong();
    }
    if (m_nextTimer1 >= 0 && m_nextTimer1 <= now) {
        m_nextTimer1 += BrindleController::kTimerIntervalMs;
        if (m_depth > 0)
            ++ticksInsideCycle;
        if (onTick && m_depth == 0)
            onTick();
        ++m_depth;
        brindle->sendTick();
        --m_depth;
    }
}

void BrindleSim::runToEnd(qint64 limitMs) {
    while (!brindle->hasEnded() && elapsedMs() < limitMs) {
        qint64 next = m_nextTimer2;
        if (m_nextTimer1 >= 0)
            next = std::min(next, m_nextTimer1);
        if (next <= clock.monotonicMs())
            fireDue();
        else
            clock.waitMs(next - clock.monotonicMs());
    }
}

QStringList BrindleSim::statuses() const {
    QStringList out;
    for (const QString& logged : LineFile::readAll(inst.file("NOMMon\\Logs\\SMSC.log")))
        out << logged.mid(18);
    return out;
}

QString BrindleSim::story() const {
    QString out;
    for (const QString& note : line.notes())
        if (note.startsWith("dial ") && note.endsWith("connected"))
            out += 'D';
        else if (note == "logged on")
            out += 'L';
        else if (note.startsWith("message "))
            out += 'A';
        else if (note == "logged off")
            out += 'O';
    return out;
}

QString BrindleSim::ending(const QStringList& queued) const {
    const auto numbers = [&](const QString& relative) {
        QStringList out;
        for (const QString& e : LineFile::readAll(inst.file(relative)))
            out << (e.isEmpty() ? QString() : QString::number(queued.indexOf(e) + 1));
        out.removeAll(QString());
        return out.join(' ');
    };
    return QString("%1 out:%2 rcv:%3")
        .arg(brindle->endedAs(), numbers(ExchangeFiles::kAccepted),
             numbers(ExchangeFiles::kCarryOver));
}

QStringList entries(int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("[%1] 05/12/2026 16:20:00 +4477009001%2 Message %1 ")
                   .arg(i)
                   .arg(i, 2, 10, QLatin1Char('0'));
    return out;
}

QString kindName(Failure failure) {
    static const char* names[] = {
        "None",         "PortNotOpened",  "PortHeld",      "PortNotClosed",   "NoModem",
        "Busy",         "NoCarrier",      "NoDialTone",    "NoAnswer",        "DialError",
        "DialTimedOut", "NoPrompt",       "NoGoAhead",     "Rejected",        "AnswerTimedOut",
        "Resent",       "NotReady",       "LineLost",      "MobileMissing",   "MobileUnusable",
        "MobileLocked", "MobileDisabled", "NotRegistered", "NetworkRejected", "SendTimedOut",
        "MobileGone",   "Cancelled"};
    static_assert(std::size(names) == static_cast<int>(Failure::Cancelled) + 1);
    return names[static_cast<int>(failure)];
}
