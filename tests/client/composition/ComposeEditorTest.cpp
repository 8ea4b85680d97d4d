#include "support/MainFormFixture.h"
#include "client/composition/ui/ComposeController.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/shell/ui/MainFormControls.h"
#include "common/Colour.h"
#include "ui/BackColour.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kAscii = "This version of Quorvel supports only ASCII characters.";

// A message box as the program shows one: a modal window of its own with a
// nested event loop. Inside that loop it takes the focus, as a window
// manager gives it, and then closes itself.
class ModalMessageBox : public MessageBox::Presenter {
public:
    ModalMessageBox() : m_previous(MessageBox::install(this)) {}
    ~ModalMessageBox() override { MessageBox::install(m_previous); }
    ModalMessageBox(const ModalMessageBox&) = delete;
    ModalMessageBox& operator=(const ModalMessageBox&) = delete;

    MessageBox::Answer present(const MessageBox::Request& request) override {
        shown << request.text;
        QDialog box(QApplication::activeWindow());
        box.setWindowTitle(request.title);
        (new QPushButton("OK", &box))->setDefault(true);
        QTimer::singleShot(0, &box, [&box] { QApplication::setActiveWindow(&box); });
        QTimer::singleShot(0, &box, &QDialog::accept);
        box.exec();
        return request.defaultButton;
    }

    QStringList shown;

private:
    MessageBox::Presenter* m_previous;
};

class ComposeEditorTest : public MainFormFixture {
protected:
    QString message() { return c().txtMessage->toPlainText(); }
    void caretAt(int pos) {
        QTextCursor tc = c().txtMessage->textCursor();
        tc.setPosition(pos);
        c().txtMessage->setTextCursor(tc);
    }
    void paste(QWidget* box, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    QStringList counters() {
        return {c().txtLenSignature->text(), c().Text4->text(), c().txtLenTotal->text()};
    }
};

} // namespace

TEST_F(ComposeEditorTest, CountersStartFromTheSignatureFile) {
    inst.writeBytes("Config\\Sign.cfg", "NOPAGEold\r\nPAGEIN- Message sent by Quorvel.\r\n");
    loadAndShow();
    EXPECT_EQ(counters(), (QStringList{"53", "0", "53"}));
    EXPECT_EQ(base(c().txtLenTotal), toQColor(kWhite));
}

TEST_F(ComposeEditorTest, BarredKeysVanishWithoutAWordInBothBoxes) {
    loadAndShow();
    for (QWidget* box :
         {static_cast<QWidget*>(c().txtMessage), static_cast<QWidget*>(c().txtSubject)}) {
        box->setFocus();
        QTest::keyClicks(box, "a#[\\]^{|}~b");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
    }
    EXPECT_EQ(message(), "ab");
    EXPECT_EQ(c().txtSubject->text(), "ab");
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(ComposeEditorTest, PoundIsTypedAndOtherHighCodesAreRefused) {
    loadAndShow();
    typeText(c().txtMessage, QString::fromLatin1("\xA3") + "5" + QChar(0xE9) + QChar(0x20AC));
    EXPECT_EQ(message(), QString::fromLatin1("\xA3") + "5");
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.last().text, kAscii);
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);

    boxes.clear();
    typeText(c().txtSubject, QString::fromLatin1("\xA3") + QChar(0xE9));
    EXPECT_EQ(c().txtSubject->text(), QString::fromLatin1("\xA3"));
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
}

TEST_F(ComposeEditorTest, CountersFollowSubjectMessageAndSignature) {
    inst.writeBytes("Config\\Sign.cfg", "NOPAGE" + QByteArray(30, 's') + "\r\n");
    loadAndShow();
    QTest::keyClicks(c().txtMessage, QString(150, 'm'));
    EXPECT_EQ(counters(), (QStringList{"30", "150", "180"}));
    EXPECT_TRUE(boxes.shown().size() == 1) << "180 is over the limit";
    boxes.clear();
    QTest::keyClicks(c().txtSubject, "ab");
    EXPECT_EQ(counters(), (QStringList{"30", "154", "184"}));
    EXPECT_EQ(base(c().txtLenTotal), toQColor(kOrange));
    EXPECT_TRUE(boxes.shown().isEmpty()) << "one warning per composed message";
}

TEST_F(ComposeEditorTest, SplitWarningOncePerMessageAndAgainAfterClearing) {
    inst.writeBytes("Config\\Sign.cfg", "NOPAGE" + QByteArray(30, 's') + "\r\n");
    loadAndShow();
    QTest::keyClicks(c().txtSubject, "ab");
    QTest::keyClicks(c().txtMessage, QString(126, 'm'));
    EXPECT_EQ(c().txtLenTotal->text(), "160");
    EXPECT_EQ(base(c().txtLenTotal), toQColor(kWhite));
    EXPECT_TRUE(boxes.shown().isEmpty());

    // The total is read while the warning is up: the user sees it orange behind the box.
    QStringList totalSeen;
    QList<QColor> colourSeen;
    {
        PeekingMessageBox peek([&](const MessageBox::Request&) {
            totalSeen << c().txtLenTotal->text();
            colourSeen << base(c().txtLenTotal);
        });
        QTest::keyClick(c().txtMessage, Qt::Key_M);
    }
    EXPECT_EQ(totalSeen, QStringList{"161"});
    EXPECT_EQ(colourSeen, QList<QColor>{toQColor(kOrange)});
    EXPECT_EQ(c().txtLenTotal->text(), "161");
    EXPECT_EQ(base(c().txtLenTotal), toQColor(kOrange));
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text,
              "Quorvel Subject + Message + Signature length is greater than 160 characters.\r\n"
              "The message text will be broken into two or more messages.");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);

    QTest::keyClicks(c().txtMessage, "more");
    QTest::keyClick(c().txtMessage, Qt::Key_Backspace);
    QTest::keyClicks(c().txtMessage, "x");
    EXPECT_EQ(boxes.shown().size(), 1);

    c().Picture17->click();
    EXPECT_EQ(counters(), (QStringList{"30", "0", "30"}));
    EXPECT_EQ(base(c().txtLenTotal), toQColor(kWhite));
    QTest::keyClicks(c().txtMessage, QString(131, 'n'));
    EXPECT_EQ(boxes.shown().size(), 2) << "a new message warns again";
}

TEST_F(ComposeEditorTest, EmptyingTheMessageBeforeTheSubjectAlsoRearmsTheWarning) {
    loadAndShow();
    QTest::keyClicks(c().txtSubject, "s");
    c().txtMessage->setPlainText(QString(200, 'm'));
    ASSERT_EQ(boxes.shown().size(), 1);
    c().txtMessage->clear();
    c().txtSubject->clear();
    c().txtMessage->setPlainText(QString(200, 'm'));
    EXPECT_EQ(boxes.shown().size(), 2);
}

TEST_F(ComposeEditorTest, AFullSubjectRefusesAllButBackspace) {
    loadAndShow();
    c().txtSubject->setText(QString(100, 's'));
    EXPECT_EQ(base(c().Text4), toQColor(kWhite));
    c().txtSubject->setFocus();
    QTest::keyClick(c().txtSubject, Qt::Key_X);
    EXPECT_EQ(c().txtSubject->text().size(), 100);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Quorvel Subject length is 100 characters.");
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    EXPECT_EQ(base(c().Text4), toQColor(kOrange));

    boxes.clear();
    typeText(c().txtSubject, QString(QChar(0xE9)));
    EXPECT_EQ(boxes.texts(), (QStringList{kAscii, "Quorvel Subject length is 100 characters."}))
        << "a refused key on a full subject gives both messages";

    boxes.clear();
    QTest::keyClicks(c().txtSubject, "#");
    EXPECT_TRUE(boxes.shown().isEmpty()) << "barred keys stop before the length rule";

    QTest::keyClick(c().txtSubject, Qt::Key_Backspace);
    EXPECT_EQ(c().txtSubject->text().size(), 99);
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(ComposeEditorTest, APasteWithARefusedCharacterIsTakenBackWhole) {
    loadAndShow();
    QTest::keyClicks(c().txtMessage, "Hello world");
    caretAt(5);
    paste(c().txtMessage, QString(" dear caf") + QChar(0xE9));
    EXPECT_EQ(message(), "Hello world") << "the text after the caret survives";
    EXPECT_EQ(c().txtMessage->textCursor().position(), 5);
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(c().Text4->text(), "11");

    // A selection replaced by the paste comes back too.
    QTextCursor tc = c().txtMessage->textCursor();
    tc.setPosition(6);
    tc.setPosition(11, QTextCursor::KeepAnchor);
    c().txtMessage->setTextCursor(tc);
    paste(c().txtMessage, QString("there") + QChar(0x200F));
    EXPECT_EQ(message(), "Hello world");
    EXPECT_EQ(c().txtMessage->textCursor().selectedText(), "world");

    // Typing goes on normally, and undo does not bring the refused text back.
    caretAt(11);
    QTest::keyClicks(c().txtMessage, "!");
    EXPECT_EQ(message(), "Hello world!");
    c().txtMessage->undo();
    EXPECT_FALSE(message().contains(QChar(0xE9)));
}

TEST_F(ComposeEditorTest, BarredCharactersArrivingByPasteAreDroppedSilently) {
    loadAndShow();
    QTest::keyClicks(c().txtMessage, "ab");
    caretAt(1);
    paste(c().txtMessage, "1#2[3]4~5");
    EXPECT_EQ(message(), "a12345b");
    EXPECT_EQ(c().txtMessage->textCursor().position(), 6);
    // The context menu's paste takes the same road.
    QGuiApplication::clipboard()->setText("{x}|y^");
    c().txtMessage->paste();
    EXPECT_EQ(message(), "a12345xyb");
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(c().Text4->text(), "9");
    // One undo step takes the whole paste away.
    c().txtMessage->undo();
    EXPECT_EQ(message(), "a12345b");

    c().txtSubject->setFocus();
    paste(c().txtSubject, "re: #5 [draft]");
    EXPECT_EQ(c().txtSubject->text(), "re: 5 draft");
}

// A pasted line break keeps the characters it came with: CR LF counts two, a
// lone CR or LF one, though the box shows each as one break until it loses
// the focus; then each CR and each LF becomes one blank. Counters, the limit
// and the text sent all see the same length.
TEST_F(ComposeEditorTest, PastedLineBreaksCountAsTheyCameAndBecomeOneBlankEach) {
    inst.writeBytes("Config\\Sign.cfg", "NOPAGE" + QByteArray(10, 's') + "\r\n");
    loadAndShow();
    settings.connection = ConnectionType::Modem;
    c().txtMessage->setFocus();
    QGuiApplication::clipboard()->setText("one\r\ntwo\nthree\rfour");
    c().txtMessage->paste();
    EXPECT_EQ(message(), "one\ntwo\nthree\nfour");
    EXPECT_EQ(counters(), (QStringList{"10", "19", "29"}));
    c().txtSubject->setFocus();
    EXPECT_EQ(message(), "one  two three four");
    EXPECT_EQ(counters(), (QStringList{"10", "19", "29"})) << "the counters do not change";

    // At the limit a CR LF weighs two: 160 stays white, one more goes over.
    c().txtMessage->setFocus();
    QTest::keyClicks(c().txtMessage, QString(129, 'x'));
    paste(c().txtMessage, "\r\n");
    EXPECT_EQ(counters(), (QStringList{"10", "150", "160"}));
    EXPECT_EQ(base(c().txtLenTotal), toQColor(kWhite));
    EXPECT_TRUE(boxes.shown().isEmpty());
    paste(c().txtMessage, "\n");
    EXPECT_EQ(c().txtLenTotal->text(), "161");
    EXPECT_EQ(base(c().txtLenTotal), toQColor(kOrange));
    EXPECT_EQ(boxes.shown().size(), 1) << "the split warning";

    // Dropped text brings its breaks as they came too.
    c().Picture17->click();
    QMimeData mime;
    mime.setText("x\r\ny");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(c().txtMessage->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(c().txtMessage->viewport(), &drop);
    EXPECT_EQ(message(), "x\ny");
    EXPECT_EQ(c().Text4->text(), "4");

    // A paste cleaned of barred characters keeps what its breaks were, and
    // so does a selection a refused paste gives back.
    boxes.clear();
    c().Picture17->click();
    c().txtMessage->setFocus();
    paste(c().txtMessage, "a\r\n#b\nc\rd");
    EXPECT_EQ(c().Text4->text(), "8");
    c().txtMessage->selectAll();
    paste(c().txtMessage, QString(QChar(0xE9)));
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(message(), "a\nb\nc\nd");
    EXPECT_EQ(c().Text4->text(), "8");

    // Sent with the focus still in the box, the breaks become blanks all the same.
    form->recipients().AddEntry("Jane  +447700900123", true);
    send().Picture5->click();
    ASSERT_EQ(out().outbox->count(), 1);
    EXPECT_TRUE(out().outbox->item(0)->text().contains(" a  b c d "))
        << out().outbox->item(0)->text().toStdString();

    // In the one-line subject a line break becomes a space at once.
    paste(c().txtSubject, "a\r\nb\rc\nd");
    EXPECT_EQ(c().txtSubject->text(), "a b c d");
}

TEST_F(ComposeEditorTest, FocusLossCheckShowsOnceAndTakesTheFocusBack) {
    loadAndShow();
    // Text the program put there bypasses the paste check; focus loss catches it.
    c().txtMessage->setPlainText(QString("na") + QChar(0xEF) + "ve\nline");
    c().txtMessage->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), c().txtMessage);
    c().Text1->setFocus();
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(QApplication::focusWidget(), c().txtMessage);
    EXPECT_EQ(message(), QString("na") + QChar(0xEF) + "ve line") << "breaks replaced, text kept";

    // Focus going straight to a box of another window is no loss of focus
    // within the form, though the text would still be refused.
    boxes.clear();
    QList<std::pair<QWidget*, QWidget*>> moves;
    QWidget other;
    auto* otherBox = new QLineEdit(&other);
    other.show();
    QObject::connect(qApp, &QApplication::focusChanged, &other,
                     [&](QWidget* old, QWidget* now) { moves.append(std::pair(old, now)); });
    QApplication::setActiveWindow(&other);
    ASSERT_EQ(QApplication::focusWidget(), otherBox);
    ASSERT_EQ(moves, (QList<std::pair<QWidget*, QWidget*>>{{c().txtMessage, otherBox}}))
        << "one move between two real widgets, not through no focus at all";
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), otherBox) << "the focus is not taken back";
}

// A real modal box takes the focus while it is up. That move, and the focus
// coming back, are no loss of focus within the form: each box is shown once.
TEST_F(ComposeEditorTest, AModalBoxTakingTheFocusIsNoLossOfFocus) {
    loadAndShow();
    ModalMessageBox modal;
    // Text the program put there: its refused character waits for the focus-loss check.
    const QString text = QString("caf") + QChar(0xE9) + "\nline";
    c().txtMessage->setPlainText(text);
    c().txtMessage->setFocus();
    caretAt(int(text.size()));
    paste(c().txtMessage, QString(QChar(0xE9)));
    // The window manager gives the form its focus back once the box is gone.
    QApplication::setActiveWindow(form.get());
    EXPECT_EQ(modal.shown, QStringList{kAscii}) << "the paste's box alone";
    EXPECT_EQ(message(), text) << "the focus never left the box";
    EXPECT_EQ(QApplication::focusWidget(), c().txtMessage);

    modal.shown.clear();
    c().Text1->setFocus();
    QApplication::setActiveWindow(form.get());
    EXPECT_EQ(modal.shown, QStringList{kAscii}) << "the focus-loss check's box, once";
    EXPECT_EQ(QApplication::focusWidget(), c().txtMessage);
}

TEST_F(ComposeEditorTest, RefusedTextInBothBoxesDoesNotBounceTheFocusBetweenThem) {
    loadAndShow();
    c().txtSubject->setText(QString(QChar(0xE9)));
    c().txtMessage->setPlainText(QString(QChar(0xE9)));
    form->compose().PastePosition = "1";
    c().txtSubject->setFocus();
    c().txtMessage->setFocus();
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(QApplication::focusWidget(), c().txtSubject);
    c().txtMessage->setFocus();
    EXPECT_EQ(boxes.shown().size(), 2) << "one box per move, never a chain";
}

TEST_F(ComposeEditorTest, SubjectFocusLossChecksFromThePastePosition) {
    loadAndShow();
    c().txtSubject->setFocus();
    c().txtSubject->setText(QString("x") + QChar(0xE9) + "yz");
    form->compose().PastePosition = "3";
    c().txtMessage->setFocus();
    EXPECT_TRUE(boxes.shown().isEmpty()) << "the tail from the key-down caret is clean";

    c().txtSubject->setFocus();
    form->compose().PastePosition = "2";
    c().txtMessage->setFocus();
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(QApplication::focusWidget(), c().txtSubject);
}

TEST_F(ComposeEditorTest, KeyDownRecordsTheCaretInTheSharedSlot) {
    loadAndShow();
    QTest::keyClicks(c().txtMessage, "abcd");
    caretAt(2);
    QTest::keyClick(c().txtMessage, Qt::Key_Right);
    EXPECT_EQ(form->compose().PastePosition, "2");
    // The subject's last key-down comes at its caret 3, not the message's 2.
    QTest::keyClicks(c().txtSubject, "wxyz");
    EXPECT_EQ(form->compose().PastePosition, "3");
    // And the message box writes the same slot again.
    caretAt(1);
    QTest::keyClick(c().txtMessage, Qt::Key_Left);
    EXPECT_EQ(form->compose().PastePosition, "1");
    // A pasted CR LF before the caret counts two there as well.
    c().txtMessage->clear();
    paste(c().txtMessage, "a\r\nb");
    QTest::keyClick(c().txtMessage, Qt::Key_End);
    EXPECT_EQ(form->compose().PastePosition, "4");
}

TEST_F(ComposeEditorTest, PastesOfAnySizeAndCharacterLeaveTheBoxesWithinTheRules) {
    loadAndShow();
    const QString junk = QString(50000, 'a') + '\t' + QChar(0) + QChar(0x200F) + QChar(0xD83D) +
                         QChar(0xDE00) + "#" + QString(50000, 'b');
    QTest::keyClicks(c().txtMessage, "keep");
    paste(c().txtMessage, junk);
    EXPECT_EQ(message(), "keep");
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    paste(c().txtSubject, QString(QChar(0xD83D)) + QChar(0xDE00) + junk);
    EXPECT_EQ(c().txtSubject->text(), "");
    EXPECT_EQ(boxes.texts(), (QStringList{kAscii, kAscii}));
    // The subject box keeps only its first 100 characters of a paste.
    paste(c().txtSubject, junk);
    EXPECT_EQ(c().txtSubject->text(), QString(100, 'a'));
    c().txtSubject->clear();

    boxes.clear();
    const QString allowed = QString(100000, 'z') + '\t' + QChar(0) + "~\r\n" + "end";
    paste(c().txtMessage, allowed);
    EXPECT_EQ(message(), "keep" + QString(100000, 'z') + "\t\nend");
    EXPECT_EQ(c().Text4->text(), QString::number(4 + 100000 + 1 + 2 + 3));
    EXPECT_EQ(boxes.shown().size(), 1) << "only the split warning";
    paste(c().txtSubject, "x\t" + allowed);
    EXPECT_EQ(c().txtSubject->text(), "x\t" + QString(98, 'z'));
}

TEST_F(ComposeEditorTest, ClearButtonEmptiesTheEditorAndResetsTheQuickMessage) {
    loadAndShow();
    c().Combo1->setCurrentIndex(1);
    QTest::keyClicks(c().txtSubject, "s");
    QTest::keyClicks(c().txtMessage, "m");
    c().Picture17->click();
    EXPECT_EQ(message(), "");
    EXPECT_EQ(c().txtSubject->text(), "");
    EXPECT_EQ(c().Combo1->currentIndex(), -1);
    EXPECT_EQ(c().Combo1->currentText(), "");
    EXPECT_EQ(c().Text4->text(), "0");
    EXPECT_EQ(QApplication::focusWidget(), c().txtSubject);
}

// A picture of the main window with a composed message, for the user guide:
// written to $QUORVEL_SCREENSHOT_DIR when set, else into the build folder.
TEST_F(ComposeEditorTest, MainWindowWithAComposedMessage) {
    inst.writeBytes("Config\\Sign.cfg", "PAGEIN- Message sent by Quorvel.\r\n");
    inst.writeBytes("Config\\BudList.dat",
                    "Jane Smith  +447700900123\r\nBob Jones  +33612345678\r\n");
    inst.writeBytes("Config\\SpeedNos.dat", "Office  +441632960000\r\n");
    loadAndShow();
    QTest::keyClicks(c().txtSubject, "Meeting moved");
    QTest::keyClicks(c().txtMessage, "The project meeting moves to Thursday at 10:00 in room 4. "
                                     "Please bring the figures for the third quarter and the "
                                     "draft of the customer letter.");
    EXPECT_EQ(c().txtLenSignature->text(), "53");
    EXPECT_EQ(c().Text4->text(), "157");
    EXPECT_EQ(c().txtLenTotal->text(), "210");
    EXPECT_EQ(base(c().txtLenTotal), toQColor(kOrange));
    EXPECT_EQ(boxes.shown().size(), 1);

    QString dir = qEnvironmentVariable("QUORVEL_SCREENSHOT_DIR");
    if (dir.isEmpty())
        dir = TestInstallation::binaryDir();
    const QString file = dir + "/main-window-composed.png";
    const QPixmap shot = form->grab();
    ASSERT_TRUE(shot.save(file));
    EXPECT_EQ(QImage(file).size(), form->size());
}
