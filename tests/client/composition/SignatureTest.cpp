#include "support/MainFormFixture.h"
#include "client/composition/ui/ComposeController.h"
#include "client/composition/ui/SignatureDialog.h"
#include "client/shell/ui/MainFormControls.h"
#include "ui/BackColour.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

class SignatureTest : public MainFormFixture {
protected:
    QStringList counters() {
        return {c().txtLenSignature->text(), c().Text4->text(), c().txtLenTotal->text()};
    }
};

} // namespace

TEST_F(SignatureTest, TheDialogShowsTheFileAsTheDesignOrTheLastLine) {
    struct Case {
        QByteArray file;
        bool ticked;
        const char* text;
    } cases[] = {
        {"PAGEIN- Message sent by Quorvel.\r\n", true, "- Message sent by Quorvel."},
        {"NOPAGEWalter\r\n", false, "Walter"},
        {"Hello World\r\n", true, "Hello World"},
        {"", false, "- Message sent by Quorvel."},
        {"NOPAGEx\r\n\r\n", false, "- Message sent by Quorvel."},
    };
    for (const Case& k : cases) {
        inst.writeBytes("Config\\Sign.cfg", k.file);
        SignatureDialog d(settings, inst.appPath());
        EXPECT_EQ(d.objectName(), "frmSignature");
        EXPECT_EQ(d.windowTitle(), "Change Signature");
        EXPECT_EQ(d.chkPageInfo->isChecked(), k.ticked) << k.file.toStdString();
        EXPECT_EQ(d.PageFlag, k.ticked ? "PAGEIN" : "NOPAGE");
        EXPECT_EQ(d.Text1->text(), k.text) << k.file.toStdString();
    }
}

TEST_F(SignatureTest, ControlsCarryTheirTexts) {
    SignatureDialog d(settings, inst.appPath());
    EXPECT_EQ(d.Label1->text(), "Signature Text");
    EXPECT_EQ(d.chkPageInfo->text(), "Page Count && TimeStamp");
    EXPECT_EQ(d.Command1->text(), "Accept");
    EXPECT_EQ(d.Command2->text(), "Cancel");
    d.chkPageInfo->setChecked(true);
    EXPECT_EQ(d.PageFlag, "PAGEIN");
    d.chkPageInfo->setChecked(false);
    EXPECT_EQ(d.PageFlag, "NOPAGE");
}

TEST_F(SignatureTest, TypingFiltersAndTheThirtyCharacterLimit) {
    SignatureDialog d(settings, inst.appPath());
    d.show();
    d.Text1->clear();
    QTest::keyClicks(d.Text1, "ab#~c");
    EXPECT_EQ(d.Text1->text(), "abc");
    EXPECT_TRUE(boxes.shown().isEmpty());
    typeText(d.Text1, QString(QChar(0xE9)));
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "This version of Quorvel supports only ASCII characters.");
    EXPECT_EQ(boxes.last().title, "Quorvel") << "not the main window's title";
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);

    boxes.clear();
    QTest::keyClicks(d.Text1, QString(27, 'x'));
    EXPECT_EQ(d.Text1->text().size(), 30);
    EXPECT_TRUE(boxes.shown().isEmpty());
    QTest::keyClicks(d.Text1, "y");
    EXPECT_EQ(d.Text1->text(), "abc" + QString(27, 'x'));
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Only 30 Characters Allowed for Signatures");
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);

    boxes.clear();
    d.Text1->clear();
    QGuiApplication::clipboard()->setText(QString(5000, 'p'));
    d.Text1->paste();
    EXPECT_EQ(d.Text1->text(), QString(30, 'p'));
    EXPECT_EQ(boxes.shown().size(), 1);
}

TEST_F(SignatureTest, AcceptWritesOneTrimmedLineAndUpdatesTheCounters) {
    loadAndShow();
    QTest::keyClicks(c().txtSubject, "ab");
    QTest::keyClicks(c().txtMessage, "hello");
    ASSERT_EQ(counters(), (QStringList{"26", "9", "35"}));
    onModal<SignatureDialog>([](SignatureDialog& d) {
        d.Text1->setText("  Bob  ");
        d.chkPageInfo->setChecked(true);
        d.Command1->click();
    });
    c().Picture10->click();
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("PAGEINBob\r\n"));
    EXPECT_EQ(counters(), (QStringList{"30", "9", "39"}));

    // With the signature off the file is still written; the counters drop it.
    c().Check2->setChecked(false);
    EXPECT_EQ(counters(), (QStringList{"0", "9", "7"})) << "switching leaves the parentheses out";
    onModal<SignatureDialog>([](SignatureDialog& d) {
        d.Text1->setText("Walter");
        d.chkPageInfo->setChecked(false);
        d.Command1->click();
    });
    c().Picture10->click();
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGEWalter\r\n"));
    EXPECT_EQ(counters(), (QStringList{"0", "9", "9"}));

    c().Check2->setChecked(true);
    EXPECT_EQ(counters(), (QStringList{"6", "9", "13"})) << "read afresh from the file";

    // Only blanks are trimmed: pasted tabs around the text stay and count.
    // Enter in the text presses Accept, the default button.
    onModal<SignatureDialog>([](SignatureDialog& d) {
        d.Text1->setText(" \tBob\t ");
        d.chkPageInfo->setChecked(false);
        QTest::keyClick(d.Text1, Qt::Key_Enter);
        if (d.isVisible())
            d.Command2->click();
    });
    c().Picture10->click();
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGE\tBob\t\r\n"));
    EXPECT_EQ(counters(), (QStringList{"5", "9", "14"}));
    c().Check2->setChecked(false);
    c().Check2->setChecked(true);
    EXPECT_EQ(counters()[0], "5") << "the file gives the same count";
}

TEST_F(SignatureTest, CancelChangesNothing) {
    inst.writeBytes("Config\\Sign.cfg", "NOPAGEWalter\r\n");
    loadAndShow();
    onModal<SignatureDialog>([](SignatureDialog& d) {
        d.Text1->setText("Other");
        d.chkPageInfo->setChecked(true);
        d.Command2->click();
    });
    c().Picture10->click();
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGEWalter\r\n"));
    EXPECT_EQ(counters(), (QStringList{"6", "0", "6"}));
}

TEST_F(SignatureTest, AnUnwritableFileKeepsTheDialogOpenAndSaysSo) {
    QDir(inst.file("Config")).removeRecursively();
    inst.writeBytes("Config", "a file where the folder should be");
    SignatureDialog d(settings, inst.appPath());
    d.show();
    d.Command1->click();
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    d.Command2->click();
    EXPECT_FALSE(d.isVisible());
}

TEST_F(SignatureTest, TheChosenBackColourPaintsTheDialog) {
    settings.BackColour = Colour{10, 20, 30};
    SignatureDialog d(settings, inst.appPath());
    EXPECT_EQ(d.palette().color(QPalette::Window), QColor(10, 20, 30));
    EXPECT_EQ(d.chkPageInfo->palette().color(QPalette::Window), QColor(10, 20, 30));
}
