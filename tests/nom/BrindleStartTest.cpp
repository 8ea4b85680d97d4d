#include "BrindleSimTest.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "common/Registry.h"
#include "nom/BrindleConfig.h"
#include "support/ScriptedMessageBox.h"

#include <QDir>

using namespace ExchangeFiles;

// Values keep their blanks, odd lines are only captions, and the line takes
// its speed and data bits, never a parity. The optional settings after line
// 24: a refused line is said once and the specified value stands; comments
// are skipped; each setting taken is logged.
TEST_F(BrindleSimTest, StartWritesItsLinesInOrderAndStoresMissingOutsideLineValues) {
    for (const auto& [line, value] :
         {std::pair{1, ""}, {2, "0163 "}, {16, "19200"}, {18, "7"}, {20, "E"}})
        run.setConfigLine(line, value);
    const QStringList extra =
        QString("gar\x1b[2Jbage|Speed=1|AcceptPauseMs=-5|ResetPauseMs=99999999999999999999|"
                "LogonPauseMs=60001|MessagesPerLogon=0|MessagesPerLogon=5|"
                "# ResetPauseMs=0|; AcceptPauseMs=0||  resetpausems = 250 |FirstTickMs=0|"
                "LogonPauseMs=60000|AcceptPauseMs=1|RenewPauseBeforeMs=0|RenewPauseAfterMs=3|"
                "MessagesPerLogon=1|DeliveryReports=1|ReportWaitSeconds=3600")
            .split('|');
    for (int i = 0; i < extra.size(); ++i)
        run.setConfigLine(25 + i, extra[i].toLatin1());
    // Junk after the settings is counted, not listed: it must not flood the log.
    LineFile::appendLines(run.inst.file(kConfig), QStringList(100000, "junk"));
    run.inst.writeBytes(kPortFile, " 1 \r\n");
    run.inst.writeBytes(kMonitorLog, "old line\r\n");
    run.start();
    EXPECT_EQ(run.file(kStateFile), QByteArray("INUSE\r\n"));
    const QString logged =
        "******* Loading Brindlemod Config ********|SMSC Number : 0163 |SMSC SQL Id : 1|"
        "SMSC MaxQueueSend : 100|SMSC Username : quorvel|SMSC Password : ********|"
        "SMSC Logfile : " +
        run.inst.file("NOMMon\\Logs\\SMSC.log") +
        "|SMSC Port :  1 |SMSC Speed : 19200|SMSC Bits : 7|SMSC Parity : E|SMSC Retries : 3|"
        "Brindle.cfg line 25 : gar^[[2Jbage : unknown setting, ignored|"
        "Brindle.cfg line 26 : Speed=1 : unknown setting, ignored|"
        "Brindle.cfg line 27 : AcceptPauseMs=-5 : not a whole number from 0 to 60000, 1000 stands|"
        "Brindle.cfg line 28 : ResetPauseMs=99999999999999999999 : not a whole number from 0 to "
        "60000, 5000 stands|"
        "Brindle.cfg line 29 : LogonPauseMs=60001 : not a whole number from 0 to 60000, 1000 "
        "stands|"
        "SMSC ResetPauseMs : 250|SMSC FirstTickMs : 0|SMSC LogonPauseMs : 60000|"
        "SMSC AcceptPauseMs : 1|SMSC RenewPauseBeforeMs : 0|SMSC RenewPauseAfterMs : 3|"
        "SMSC MessagesPerLogon : 1|SMSC DeliveryReports : 1|SMSC ReportWaitSeconds : 3600|"
        "Brindle.cfg : 100002 more lines after line 24 ignored|"
        "******* Starting Brindlemod ********";
    QByteArray bytes;
    for (const QString& l : logged.split('|'))
        bytes += "26-12-05 16:20:00 " + l.toUtf8() + "\r\n";
    EXPECT_EQ(run.file("NOMMon\\Logs\\SMSC.log"), bytes);
    EXPECT_EQ(run.file(kMonitorLog), "26-12-05 16:20:00 ******* Starting Brindlemod ********\r\n");
    EXPECT_EQ(run.brindle->config().tuning,
              (BrindleConfig::Tuning{0, 250, 60000, 1, 0, 3, 1, 1, 3600}));
    EXPECT_EQ(Registry::readSetting("OUT_DIAL"), "-1");
    EXPECT_EQ(Registry::readSetting("OUT_DIAL_OPTION"), "0");
    run.queue(entries(1));
    run.runToEnd();
    EXPECT_EQ(run.ending(entries(1)), "COMPLETE out:1 rcv:");
    EXPECT_EQ(run.line.notes().value(0), "dial 1 '0163 ': connected");
    EXPECT_EQ(run.line.settings().baud, 19200);
    EXPECT_EQ(run.line.settings().dataBits, 7);
}

// The prefix is read as a decimal number and rounded; only option 1 dials it.
TEST(BrindleStart, OutsideLinePrefixIsDialledBeforeTheNumber) {
    const char* cases[][3] = {
        {"9", "1", "9,01632960000"},     {"9", "0", "01632960000"},
        {"-1", "1", "01632960000"},      {"99999", "1", "01632960000"},
        {" 8.4x", "1", "8,01632960000"}, {"9.5", "1", "10,01632960000"},
        {".7", "1", "1,01632960000"},    {"32767.4", "1", "32767,01632960000"},
        {"32767.5", "1", "01632960000"}, {"x9", "1", "0,01632960000"},
        {"9", "0.6", "9,01632960000"},   {"9", "1.5", "01632960000"}};
    TestInstallation inst;
    Registry::CreateRegistryKey(Registry::kSettingsKey);
    for (const auto& [prefix, option, dial] : cases) {
        Registry::writeSetting("OUT_DIAL", prefix);
        Registry::writeSetting("OUT_DIAL_OPTION", option);
        BrindleConfig config;
        config.smscNumber = "01632960000";
        config.readOutsideLine();
        EXPECT_EQ(config.dialString(), dial) << prefix << " " << option;
    }
}

TEST(BrindleStart, BrokenConfigurationEndsInCrashWithoutABox) {
    const std::pair<QString, QString> cases[] = {
        {"2", "Empty Configuration File : Brindlemod.cfg"}, // lines kept
        {"-", "Empty Configuration File : Brindlemod.cfg"}, // no file
        {"9", "Incomplete Configuration File : Brindlemod.cfg (9 of 24 lines)"},
        {"22=three", "SMSC Retries is not a whole number : three"},
        {"24=1.5", "SMSC Ping Base is not a whole number : 1.5"},
        {"12=", "No SMSC Logfile in Configuration File : Brindlemod.cfg"},
        {"2=" + QString(100000, '9'), "Brindle.cfg line 2 is too long : 100000 characters"},
    };
    for (const auto& [fault, reason] : cases) {
        SCOPED_TRACE(reason.toStdString());
        BrindleSim run;
        ScriptedMessageBox boxes;
        if (fault == "-")
            run.inst.remove(kConfig);
        else if (fault.contains('='))
            run.setConfigLine(fault.section('=', 0, 0).toInt(), fault.section('=', 1).toLatin1());
        else
            LineFile::rewrite(run.inst.file(kConfig),
                              LineFile::readAll(run.inst.file(kConfig)).mid(0, fault.toInt()));
        run.inst.writeBytes(kJournal, "[1] j +441 journal\r\n");
        run.queue({"[2] i +442 inbox"});
        run.start();
        EXPECT_EQ(run.ending({"[1] j +441 journal", "[2] i +442 inbox"}), "CRASH out: rcv:1 2");
        EXPECT_TRUE(boxes.shown().isEmpty());
        EXPECT_EQ(run.file(kInbox), QByteArray("\r\n"));
        EXPECT_EQ(run.file(kJournal), QByteArray());
        EXPECT_TRUE(run.brindle->statusLog().paneText().contains(reason + "\r\n"));
        EXPECT_EQ(run.line.opens(), 0);
    }
}

TEST_F(BrindleSimTest, AppPathIsTheLastLineOfAppPathCfgElseThreeLevelsUp) {
    QFile::remove("AppPath.cfg");
    run.start();
    EXPECT_EQ(run.brindle->appPath(), run.inst.appPath());

    QTemporaryDir other;
    QDir().mkpath(other.path() + "/NOM/UK/Cellnet/Config");
    QFile::copy(run.inst.file(kConfig), other.path() + "/NOM/UK/Cellnet/Config/Brindle.cfg");
    run.inst.writeBytes("AppPath.cfg",
                        "/nowhere/\r\n  " + QFile::encodeName(other.path()) + "/  \r\n");
    run.start();
    EXPECT_EQ(run.brindle->appPath(), other.path() + "/");
    EXPECT_EQ(LineFile::readLast(other.path() + "/StartNOM.cfg"), "INUSE");

    // Without the file, a per-user installation's Brindle (the program in the
    // shared tree) serves $QUORVEL_HOME rather than the tree it lives in.
    QFile::remove("AppPath.cfg");
    qputenv("QUORVEL_HOME", QFile::encodeName(other.path()));
    run.start();
    qunsetenv("QUORVEL_HOME");
    EXPECT_EQ(run.brindle->appPath(), other.path() + "/");
}
