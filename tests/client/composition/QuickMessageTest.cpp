#include "support/MainFormFixture.h"
#include "client/composition/ui/ComposeController.h"
#include "client/composition/ui/QuickMessageDialog.h"
#include "client/shell/ui/MainFormControls.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace {

class QuickMessageTest : public MainFormFixture {
protected:
    QStringList comboItems() {
        QStringList out;
        for (int i = 0; i < c().Combo1->count(); ++i)
            out << c().Combo1->itemText(i);
        return out;
    }
};

} // namespace

TEST_F(QuickMessageTest, ChoosingReplacesTheMessageAndKeepsTheSubject) {
    inst.writeBytes("config\\QuickMsg.Dat", "On my way.\r\n\r\nCall #me [now]\r\n");
    loadAndShow();
    ASSERT_EQ(comboItems(), (QStringList{"On my way.", "", "Call #me [now]"}));
    EXPECT_EQ(c().Combo1->currentIndex(), -1);
    EXPECT_EQ(c().Combo1->placeholderText(), "Quick Message");

    QTest::keyClicks(c().txtSubject, "s");
    QTest::keyClicks(c().txtMessage, "typed text");
    c().Combo1->setCurrentIndex(0);
    emit c().Combo1->activated(0);
    EXPECT_EQ(c().txtMessage->toPlainText(), "On my way.");
    EXPECT_EQ(c().txtSubject->text(), "s");
    EXPECT_EQ(c().Text4->text(), "13");
    EXPECT_EQ(c().txtLenTotal->text(), "39");
    EXPECT_EQ(base(c().Text4), toQColor(kWhite));

    emit c().Combo1->activated(2);
    EXPECT_EQ(c().txtMessage->toPlainText(), "Call me now") << "barred characters dropped";

    c().txtSubject->clear();
    emit c().Combo1->activated(1);
    EXPECT_EQ(c().Text4->text(), "0");
    EXPECT_EQ(base(c().Text4), toQColor(kOrange));
    EXPECT_TRUE(boxes.shown().isEmpty());
}

// Only a hand-edited file holds such an entry (the dialog refuses the
// character): it is taken like any other, and the focus-loss check reports it.
TEST_F(QuickMessageTest, AQuickMessageWithARefusedCharacterIsTakenAndReportedLater) {
    inst.writeBytes("config\\QuickMsg.Dat", "caf\xe9 #1\r\n");
    loadAndShow();
    QTest::keyClicks(c().txtMessage, "mine");
    c().Combo1->setFocus();
    emit c().Combo1->activated(0);
    const QString taken = QString("caf") + QChar(0xE9) + " 1";
    EXPECT_EQ(c().txtMessage->toPlainText(), taken) << "barred characters dropped silently";
    EXPECT_EQ(c().Text4->text(), "6");
    EXPECT_TRUE(boxes.shown().isEmpty());

    c().txtMessage->setFocus();
    c().Text1->setFocus();
    EXPECT_EQ(boxes.texts(),
              QStringList{"This version of Quorvel supports only ASCII characters."});
    EXPECT_EQ(QApplication::focusWidget(), c().txtMessage);
    EXPECT_EQ(c().txtMessage->toPlainText(), taken) << "reported, not changed";
}

// A wheel turned while the pointer passes over the closed drop-down must not
// replace the message the user is composing.
TEST_F(QuickMessageTest, AWheelTurnOverTheDropDownChoosesOnlyWhenItHasTheFocus) {
    inst.writeBytes("config\\QuickMsg.Dat", "On my way.\r\nOK\r\n");
    loadAndShow();
    const auto wheel = [this] {
        const QPointF at(c().Combo1->rect().center());
        QWheelEvent e(at, c().Combo1->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(c().Combo1, &e);
    };
    EXPECT_EQ(c().Combo1->focusPolicy(), Qt::StrongFocus)
        << "a wheel must not give it the focus first";
    c().txtMessage->setFocus();
    QTest::keyClicks(c().txtMessage, "typed text");
    wheel();
    EXPECT_EQ(c().Combo1->currentIndex(), -1);
    EXPECT_EQ(c().txtMessage->toPlainText(), "typed text");

    c().Combo1->setFocus();
    wheel();
    EXPECT_EQ(c().Combo1->currentIndex(), 0) << "with the focus the wheel chooses as usual";
    EXPECT_EQ(c().txtMessage->toPlainText(), "On my way.");
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(QuickMessageTest, TypingIntoTheDropDownDoesNothing) {
    inst.writeBytes("config\\QuickMsg.Dat", "On my way.\r\nOK\r\n");
    loadAndShow();
    c().Combo1->setFocus();
    QTest::keyClicks(c().Combo1, "OK");
    EXPECT_EQ(c().Combo1->currentIndex(), -1);
    EXPECT_EQ(c().txtMessage->toPlainText(), "");
}

TEST_F(QuickMessageTest, AddTwiceThenCancelKeepsBothInTheFileAndTheDropDown) {
    inst.writeBytes("config\\QuickMsg.Dat", "On my way.\r\n");
    loadAndShow();
    onModal<QuickMessageDialog>([](QuickMessageDialog& d) {
        d.txtQuickMessage->setText("  Running late.  ");
        d.lblAdd->clicked();
        EXPECT_EQ(d.txtQuickMessage->text(), "");
        d.txtQuickMessage->setText("Back soon");
        d.picAdd->click();
        d.txtQuickMessage->setText("not added");
        d.cmdCancel->click();
    });
    c().picQuickMsg->click();
    EXPECT_EQ(inst.bytes("config\\QuickMsg.Dat"),
              QByteArray("On my way.\r\nRunning late.\r\nBack soon\r\n"));
    EXPECT_EQ(comboItems(), (QStringList{"On my way.", "Running late.", "Back soon"}));
    EXPECT_EQ(c().Combo1->currentIndex(), -1);
}

TEST_F(QuickMessageTest, OkAddsAndClosesButStaysOpenOnARefusal) {
    inst.writeBytes("config\\QuickMsg.Dat", "On my way.\r\n");
    loadAndShow();
    onModal<QuickMessageDialog>([this](QuickMessageDialog& d) {
        d.txtQuickMessage->setText(" On my way. ");
        d.cmdOk->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(boxes.texts(), QStringList{"Quick message already exists"});
        d.txtQuickMessage->setText("   ");
        d.cmdOk->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(boxes.last().text, "Enter a Quick message");
        // Enter in the box presses OK, the default button.
        d.txtQuickMessage->setText("on my way.");
        QTest::keyClick(d.txtQuickMessage, Qt::Key_Return);
        if (d.isVisible())
            d.cmdCancel->click();
    });
    c().picQuickMsg->click();
    EXPECT_EQ(inst.bytes("config\\QuickMsg.Dat"), QByteArray("On my way.\r\non my way.\r\n"));
}

TEST_F(QuickMessageTest, OpeningAndClosingTheDialogNeverShortensAStoredLine) {
    const QByteArray file =
        "Short\r\n" + QByteArray(200, 'q') + "\r\n" + QByteArray(121, 'r') + " tail  \r\n\r\n";
    inst.writeBytes("config\\QuickMsg.Dat", file);
    loadAndShow();
    ASSERT_EQ(c().Combo1->count(), 4);
    EXPECT_EQ(c().Combo1->itemText(1), QString(200, 'q'));
    onModal<QuickMessageDialog>([](QuickMessageDialog& d) {
        EXPECT_EQ(d.lstQuickMessage->item(1)->text(), QString(200, 'q'));
        d.cmdCancel->click();
    });
    c().picQuickMsg->click();
    EXPECT_EQ(inst.bytes("config\\QuickMsg.Dat"), file);
    EXPECT_EQ(c().Combo1->itemText(2), QString(121, 'r') + " tail  ");

    // Chosen in the main window, the whole entry becomes the message.
    emit c().Combo1->activated(1);
    EXPECT_EQ(c().txtMessage->toPlainText(), QString(200, 'q'));
    EXPECT_EQ(c().Text4->text(), "200");
}

TEST_F(QuickMessageTest, DeleteAsksAndTheCloseBoxSavesToo) {
    inst.writeBytes("config\\QuickMsg.Dat", "a\r\nb\r\nc\r\n");
    loadAndShow();
    onModal<QuickMessageDialog>([this](QuickMessageDialog& d) {
        d.picClear->click();
        EXPECT_EQ(boxes.last().text, "Please select the Quick message to delete.");
        d.lstQuickMessage->setCurrentRow(1);
        boxes.answerNext(MessageBox::Answer::No);
        d.lblClear->clicked();
        EXPECT_EQ(d.lstQuickMessage->count(), 3);
        boxes.answerNext(MessageBox::Answer::Yes);
        d.picClear->click();
        EXPECT_EQ(d.lstQuickMessage->count(), 2);
        d.close();
    });
    c().picQuickMsg->click();
    EXPECT_EQ(inst.bytes("config\\QuickMsg.Dat"), QByteArray("a\r\nc\r\n"));
    EXPECT_EQ(comboItems(), (QStringList{"a", "c"}));
}

TEST_F(QuickMessageTest, TheBoxTakesAtMost120AllowedCharacters) {
    QuickMessageDialog d(settings, inst.appPath());
    d.show();
    EXPECT_EQ(d.windowTitle(), "Add Quick Message");
    EXPECT_EQ(d.objectName(), "frmQuickMessage");
    EXPECT_EQ(d.txtQuickMessage->toolTip(), "Enter a Quick message");
    EXPECT_EQ(d.picAdd->toolTip(), "Add To Quick Message List");
    EXPECT_EQ(d.picClear->toolTip(), "Clear Quick Message");
    EXPECT_EQ(d.lblAdd->text(), "Add");
    EXPECT_EQ(d.lblClear->text(), "Delete");
    QTest::keyClicks(d.txtQuickMessage, QString(120, 'q'));
    QTest::keyClicks(d.txtQuickMessage, "r");
    EXPECT_EQ(d.txtQuickMessage->text(), QString(120, 'q'));
    d.txtQuickMessage->clear();
    QTest::keyClicks(d.txtQuickMessage, "a|b");
    typeText(d.txtQuickMessage, QString(QChar(0xFC)));
    EXPECT_EQ(d.txtQuickMessage->text(), "ab");
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);
    d.reject();
}

TEST_F(QuickMessageTest, TheChosenBackColourPaintsDialogAndPictureButtons) {
    settings.BackColour = Colour{1, 2, 3};
    QuickMessageDialog d(settings, inst.appPath());
    for (QWidget* w : {static_cast<QWidget*>(&d), static_cast<QWidget*>(d.picAdd),
                       static_cast<QWidget*>(d.picClear)})
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(1, 2, 3));
    d.reject();
}
