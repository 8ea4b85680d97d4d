#include "nom/ui/BrindleWindow.h"
#include "BrindleSimTest.h"
#include "common/ExchangeFiles.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

TEST_F(BrindleSimTest, WindowShowsWhatTheRunReports) {
    // Texts long enough to push the oldest lines out of the status pane.
    QStringList queued;
    for (const QString& e : entries(20))
        queued << e + QString(900, 'x');
    run.queue(queued);
    run.brindle = std::make_unique<BrindleController>(run.line, run.inst.root() + "/NOM/UK/Cellnet",
                                                      run.inst.root());
    BrindleWindow window(*run.brindle);
    const auto label = [&](const char* name) { return window.findChild<QLabel*>(name)->text(); };
    EXPECT_EQ(label("lbModemSetting"), "Not Configured");
    run.brindle->start();
    EXPECT_EQ(label("cbSMSC"), "01632960000");
    EXPECT_EQ(window.findChild<QComboBox*>("cbModemSpeed")->currentText(), "9600");
    run.brindle->sendTick();
    const QString pane = run.brindle->statusLog().paneText();
    EXPECT_EQ(pane.size(), 16000);
    EXPECT_TRUE(pane.endsWith("x\r\nMessage Accepted\r\n211 Transmission successful\r\n"));
    EXPECT_EQ(window.findChild<QPlainTextEdit*>("DebugWin")->toPlainText(),
              QString(pane).replace("\r\n", "\n"));
    EXPECT_EQ(label("Label7"), "COM1");
    EXPECT_EQ(label("lbModemSetting"), "9600,N,8,1");
    EXPECT_EQ(window.findChild<QComboBox*>("CbPortNumber")->currentText(), "1");
    EXPECT_EQ(window.findChild<QListWidget*>("SentQueue")->count(), 20);
    EXPECT_EQ(window.findChild<QListWidget*>("MessageQueue")->count(), 0);
}

TEST_F(BrindleSimTest, WindowTitleBarCannotCloseItButExitEndsTheRun) {
    run.start();
    BrindleWindow window(*run.brindle);
    window.show();
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    auto* exit = window.findChild<QPushButton*>("bExit");
    EXPECT_EQ(exit->text(), "Exit");
    exit->click();
    EXPECT_EQ(run.brindle->endedAs(), "EXIT");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(run.file(ExchangeFiles::kStateFile), QByteArray("INUSE\r\n"));
}
