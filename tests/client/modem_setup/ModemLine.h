#pragma once

#include "support/FakeSerialLine.h"

#include <QMap>
#include <QStringList>
#include <functional>

// A scripted line behind the four ports: a device may refuse to open, and the
// modem answers a dial with what `answerDial` gives for the device dialled.
class ModemLine : public FakeSerialLine {
public:
    static constexpr qint64 kAnswerMs = 1500;

    std::function<QByteArray(const QString& device)> answerDial;
    // Every device opened, in order.
    QStringList opened;

    void refuse(const QString& device, OpenFailure why) { m_refused[device] = why; }

    bool open(const QString& device, const LineSettings& settings) override {
        m_failure = m_refused.value(device, OpenFailure::None);
        if (m_failure != OpenFailure::None)
            return false;
        opened << device;
        return FakeSerialLine::open(device, settings);
    }
    OpenFailure openFailure() const override { return m_failure; }
    void write(const QByteArray& bytes) override {
        FakeSerialLine::write(bytes);
        if (bytes.startsWith("ATDT") && answerDial)
            push(answerDial(device()), kAnswerMs);
    }

private:
    QMap<QString, OpenFailure> m_refused;
    OpenFailure m_failure = OpenFailure::None;
};
