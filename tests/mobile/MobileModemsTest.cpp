// The client against the simulator playing ModemManager on a bus of its own.
#include "mobile/MobileModems.h"
#include "mobile/ReportWatcher.h"
#include "support/SimulatedModemManager.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using Kind = MobileSendResult::Kind;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(MobileModems, SendsThroughTheSimulatedModem) {
    const QTemporaryDir dir;
    const QString record = dir.filePath("record.txt");
    SimulatedModemManager mm(SMSCSIM_PATH,
                             {"--record", record, "--mm-reject-every", "2", "--mm-remove-after",
                              "4", "--mm-report-after", "0", "--lifetime", "120"});
    ASSERT_FALSE(mm.address.isEmpty()) << "dbus-daemon did not start: install the dbus package";
    ASSERT_EQ(mm.modemPath, "/org/freedesktop/ModemManager1/Modem/0");
    const MobileModems modems(10000, mm.connect());
    ASSERT_TRUE(modems.available());

    const auto list = modems.modems();
    ASSERT_EQ(list.size(), 1u);
    const MobileModem& modem = list[0];
    EXPECT_EQ(modem.path, mm.modemPath);
    EXPECT_EQ(modem.equipmentId, "490154203237518");
    EXPECT_EQ(modem.manufacturer, "Quorvel");
    EXPECT_EQ(modem.model, "Simulated LTE modem");
    EXPECT_EQ(modem.state, 8);
    EXPECT_EQ(modem.ports, QStringList{"ttySIM0"});
    EXPECT_EQ(modem.signalQuality, 80u);
    EXPECT_TRUE(modem.signalRecent);
    EXPECT_EQ(modem.operatorName, "Simnet");
    EXPECT_EQ(modem.registration, 1u);
    EXPECT_EQ(modem.unlockRequired, 1u);
    ASSERT_TRUE(modems.find("490154203237518"));
    EXPECT_FALSE(modems.find("490154203237519"));

    ReportWatcher watcher(modems, modem.path);
    ASSERT_TRUE(watcher.watching());
    QSignalSpy arrived(&watcher, &ReportWatcher::reportArrived);

    const auto first =
        modems.send(modem.path, "+447700900123", "Größe\tAccepted:: #[12]\n", true, 10000);
    EXPECT_EQ(first.kind, Kind::Accepted);
    EXPECT_EQ(first.reference, 1u);
    const auto second = modems.send(modem.path, "+447700900124", "two", false, 10000);
    EXPECT_EQ(second.kind, Kind::Rejected);
    EXPECT_EQ(second.errorName, "org.freedesktop.ModemManager1.Error.Message.NetworkTimeout");
    EXPECT_FALSE(second.smsPath.isEmpty());
    const auto third = modems.send(modem.path, "+447700900125", "three", false, 10000);
    EXPECT_EQ(third.kind, Kind::Accepted);
    EXPECT_EQ(third.reference, 2u);
    EXPECT_EQ(fileBytes(record), "+447700900123\tGröße\tAccepted:: #[12]\\x0A\n"
                                 "+447700900125\tthree\n");

    ASSERT_TRUE(arrived.count() > 0 || arrived.wait(30000));
    const auto report = arrived.at(0).at(0).value<MobileStatusReport>();
    EXPECT_EQ(report.reference, 1u);
    EXPECT_EQ(report.number, "+447700900123");
    EXPECT_EQ(report.outcome(), DeliveryOutcome::Delivered);
    const auto stored = modems.reports(modem.path);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].path, report.path);
    EXPECT_TRUE(modems.remove(modem.path, report.path));
    EXPECT_TRUE(modems.reports(modem.path).empty());

    const auto fourth = modems.send(modem.path, "+447700900126", "four", false, 10000);
    EXPECT_EQ(fourth.kind, Kind::Gone);
    EXPECT_TRUE(modems.modems().empty());
    EXPECT_EQ(modems.send(modem.path, "+447700900126", "five", false, 10000).kind, Kind::NoModem);
}

TEST(MobileModems, ASendWithoutAnswerTimesOut) {
    SimulatedModemManager mm(SMSCSIM_PATH, {"--mm-send-delay", "600000", "--lifetime", "120"});
    ASSERT_FALSE(mm.modemPath.isEmpty());
    const MobileModems modems(10000, mm.connect());
    const auto result = modems.send(mm.modemPath, "+447700900123", "late", false, 100);
    EXPECT_EQ(result.kind, Kind::TimedOut);
    EXPECT_EQ(result.errorName, "org.freedesktop.DBus.Error.NoReply");
    EXPECT_FALSE(result.smsPath.isEmpty());
}
} // namespace
