#include "nom/ui/BrindleWindow.h"
#include "BrindleRun.h"
#include "common/ExchangeFiles.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace ExchangeFiles;

TEST(BrindleWindow, ShowsWhatTheRunReports) {
    BrindleRun run;
    run.queue({"[1] d +447700900123 Hi"});
    run.start();
    BrindleWindow window(*run.brindle);
    // The window is made after the load here; the next reports reach it.
    run.brindle->Timer1_Timer();
    auto* pane = window.findChild<QPlainTextEdit*>("DebugWin");
    ASSERT_TRUE(pane);
    EXPECT_TRUE(pane->toPlainText().contains("Message Accepted"));
    EXPECT_EQ(window.findChild<QLabel*>("Label7")->text(), "COM1");
    EXPECT_EQ(window.findChild<QLabel*>("lbModemSetting")->text(), "9600,N,8,1");
    EXPECT_EQ(window.findChild<QComboBox*>("CbPortNumber")->currentText(), "1");
    EXPECT_EQ(window.findChild<QListWidget*>("SentQueue")->count(), 1);
    EXPECT_EQ(window.findChild<QListWidget*>("MessageQueue")->count(), 0);
    EXPECT_TRUE(window.findChild<QPlainTextEdit*>("DebugScreen"));
}

TEST(BrindleWindow, TitleBarCannotCloseItButExitEndsTheRun) {
    BrindleRun run;
    run.start();
    BrindleWindow window(*run.brindle);
    window.show();
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    auto* exit = window.findChild<QPushButton*>("bExit");
    ASSERT_TRUE(exit);
    EXPECT_EQ(exit->text(), "Exit");
    exit->click();
    EXPECT_TRUE(run.brindle->hasEnded());
    EXPECT_EQ(run.brindle->endedAs(), "EXIT");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(run.file(kStateFile), QByteArray("INUSE\r\n"));
}

TEST(BrindleWindow, SettingsShownAtLoad) {
    BrindleRun run;
    run.brindle = std::make_unique<BrindleController>(run.line, run.inst.root() + "/NOM/UK/Cellnet",
                                                      run.inst.root());
    BrindleWindow window(*run.brindle);
    EXPECT_EQ(window.findChild<QLabel*>("lbModemSetting")->text(), "Not Configured");
    run.brindle->start();
    EXPECT_EQ(window.findChild<QLabel*>("cbSMSC")->text(), "01632960000");
    EXPECT_EQ(window.findChild<QComboBox*>("cbModemSpeed")->currentText(), "9600");
}

// The window through a whole run, as the documentation shows it; only when a
// folder for the picture is given.
TEST(BrindleWindow, PictureOfARun) {
    const QString shots = qEnvironmentVariable("QUORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "QUORVEL_SCREENSHOT_DIR not set";
    BrindleRun run;
    run.queue({"[7] 05/12/2026 16:20:00 +447700900123 Meet at ten. - Message sent by Quorvel.",
               "[8] 05/12/2026 16:20:00 +447700900999 Meet at ten. - Message sent by Quorvel."});
    run.brindle = std::make_unique<BrindleController>(run.line, run.inst.root() + "/NOM/UK/Cellnet",
                                                      run.inst.root());
    BrindleWindow window(*run.brindle);
    run.brindle->start();
    run.brindle->Timer1_Timer();
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.findChild<QListWidget*>("SentQueue")->count(), 2);
    EXPECT_TRUE(window.grab().save(shots + "/brindle-window.png"));
}
