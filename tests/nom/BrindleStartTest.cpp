#include "BrindleRun.h"
#include "QtPrinters.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "common/Registry.h"
#include "support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

using namespace ExchangeFiles;

TEST(BrindleStart, WritesTheStartUpLinesInOrder) {
    BrindleRun run;
    run.inst.writeBytes(kPortFile, " 1 \r\n");
    run.inst.writeBytes(kMonitorLog, "old line\r\n");
    run.start();
    EXPECT_EQ(run.file(kStateFile), QByteArray("INUSE\r\n"));
    const QString log = run.inst.file("NOMMon\\Logs\\SMSC.log");
    EXPECT_EQ(run.file("NOMMon\\Logs\\SMSC.log"),
              QByteArray("26-12-05 16:20:00 ******* Loading Brindlemod Config ********\r\n"
                         "26-12-05 16:20:00 SMSC Number : 01632960000\r\n"
                         "26-12-05 16:20:00 SMSC SQL Id : 1\r\n"
                         "26-12-05 16:20:00 SMSC MaxQueueSend : 100\r\n"
                         "26-12-05 16:20:00 SMSC Username : quorvel\r\n"
                         "26-12-05 16:20:00 SMSC Password : ********\r\n"
                         "26-12-05 16:20:00 SMSC Logfile : " +
                         log.toUtf8() +
                         "\r\n"
                         "26-12-05 16:20:00 SMSC Port :  1 \r\n"
                         "26-12-05 16:20:00 SMSC Speed : 9600\r\n"
                         "26-12-05 16:20:00 SMSC Bits : 8\r\n"
                         "26-12-05 16:20:00 SMSC Parity : N\r\n"
                         "26-12-05 16:20:00 SMSC Retries : 3\r\n"
                         "26-12-05 16:20:00 ******* Starting Brindlemod ********\r\n"));
    EXPECT_EQ(run.file(kMonitorLog),
              QByteArray("26-12-05 16:20:00 ******* Starting Brindlemod ********\r\n"));
    EXPECT_FALSE(run.file("NOMMon\\Logs\\SMSC.log").contains("cellnet"));
}

TEST(BrindleStart, MissingOutsideLineValuesAreStoredWithTheirDefaults) {
    BrindleRun run;
    run.start();
    EXPECT_EQ(Registry::readSetting("OUT_DIAL"), "-1");
    EXPECT_EQ(Registry::readSetting("OUT_DIAL_OPTION"), "0");
    EXPECT_EQ(run.brindle->config().dialString(), "01632960000");
}

TEST(BrindleStart, OutsideLinePrefixIsDialledBeforeTheNumber) {
    struct Case {
        const char* prefix;
        const char* option;
        const char* dial;
    };
    const Case cases[] = {{"9", "1", "9,01632960000"},
                          {"09", "1", "9,01632960000"},
                          {"9", "0", "01632960000"},
                          {"-1", "1", "01632960000"},
                          {"99999", "1", "01632960000"},
                          // Read as a decimal number and rounded.
                          {"9.6", "1", "10,01632960000"},
                          {" 8.4x", "1", "8,01632960000"},
                          {"9.5", "1", "10,01632960000"},
                          {"7.", "1", "7,01632960000"},
                          {".7", "1", "1,01632960000"},
                          {"-1.4", "1", "01632960000"},
                          {"32767.4", "1", "32767,01632960000"},
                          {"32767.5", "1", "01632960000"},
                          {"x9", "1", "0,01632960000"},
                          {"9", "0.6", "9,01632960000"},
                          {"9", "1.5", "01632960000"}};
    for (const Case& c : cases) {
        BrindleRun run;
        Registry::CreateRegistryKey(Registry::kSettingsKey);
        Registry::writeSetting("OUT_DIAL", c.prefix);
        Registry::writeSetting("OUT_DIAL_OPTION", c.option);
        run.queue({"[1] d +447700900123 Hi"});
        QString shown;
        run.start();
        EXPECT_EQ(run.brindle->config().dialString(), c.dial) << c.prefix << c.option;
        run.runToEnd();
        EXPECT_EQ(run.line.writeCount("ATDT" + QByteArray(c.dial) + "\r"), 1);
    }
}

TEST(BrindleStart, ValuesAreTakenAsTheyStand) {
    BrindleRun run;
    run.setConfigLine(1, "");
    run.setConfigLine(2, "0163 ");
    run.setConfigLine(18, "7");
    run.setConfigLine(20, "E");
    run.queue({"[1] d +447700900123 Hi"});
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.line.writeCount("ATDT0163 \r"), 1);
    EXPECT_EQ(run.line.settings().dataBits, 7);
}

TEST(BrindleStart, BrokenConfigurationEndsInCrashWithoutABox) {
    struct Case {
        const char* name;
        std::function<void(BrindleRun&)> breakIt;
        QString reason;
    };
    const Case cases[] = {
        {"empty", [](BrindleRun& r) { r.inst.writeBytes(kConfig, "SMSC\r\n0163\r\n"); },
         "Empty Configuration File : Brindlemod.cfg"},
        {"missing", [](BrindleRun& r) { r.inst.remove(kConfig); },
         "Empty Configuration File : Brindlemod.cfg"},
        {"short",
         [](BrindleRun& r) {
             const QStringList all = LineFile::readAll(r.inst.file(kConfig));
             LineFile::rewrite(r.inst.file(kConfig), all.mid(0, 9));
         },
         "Incomplete Configuration File : Brindlemod.cfg (9 of 24 lines)"},
        {"retries", [](BrindleRun& r) { r.setConfigLine(22, "three"); },
         "SMSC Retries is not a whole number : three"},
        {"negative retries", [](BrindleRun& r) { r.setConfigLine(22, "-1"); },
         "SMSC Retries is not a whole number : -1"},
        {"ping base", [](BrindleRun& r) { r.setConfigLine(24, "1.5"); },
         "SMSC Ping Base is not a whole number : 1.5"},
        {"no log", [](BrindleRun& r) { r.setConfigLine(12, ""); },
         "No SMSC Logfile in Configuration File : Brindlemod.cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BrindleRun run;
        ScriptedMessageBox boxes;
        c.breakIt(run);
        run.inst.writeBytes(kJournal, "[1] j +441 journal\r\n");
        run.queue({"[2] i +442 inbox"});
        run.start();
        EXPECT_TRUE(run.brindle->hasEnded());
        EXPECT_EQ(run.brindle->endedAs(), "CRASH");
        EXPECT_TRUE(boxes.shown().isEmpty());
        EXPECT_EQ(run.file(kStateFile), QByteArray("CRASH\r\n"));
        EXPECT_EQ(run.file(kCarryOver),
                  QByteArray("\r\n[1] j +441 journal\r\n[2] i +442 inbox\r\n"));
        EXPECT_EQ(run.file(kInbox), QByteArray("\r\n"));
        EXPECT_EQ(run.file(kJournal), QByteArray());
        EXPECT_TRUE(run.brindle->statusLog().paneText().contains(c.reason + "\r\n"));
        EXPECT_EQ(run.line.opens(), 0);
    }
}

TEST(BrindleStart, WithoutAppPathFileTheInstallRootIsThreeLevelsUp) {
    BrindleRun run;
    QFile::remove("AppPath.cfg");
    run.start();
    EXPECT_EQ(run.brindle->appPath(), run.inst.appPath());
}

TEST(BrindleStart, AppPathFileLastLineCounts) {
    BrindleRun run;
    QTemporaryDir other;
    QDir().mkpath(other.path() + "/NOM/UK/Cellnet/Config");
    QFile::copy(run.inst.file(kConfig), other.path() + "/NOM/UK/Cellnet/Config/Brindle.cfg");
    run.inst.writeBytes("AppPath.cfg",
                        "/nowhere/\r\n  " + QFile::encodeName(other.path()) + "/  \r\n");
    run.start();
    EXPECT_EQ(run.brindle->appPath(), other.path() + "/");
    EXPECT_EQ(LineFile::readLast(other.path() + "/StartNOM.cfg"), "INUSE");
}
