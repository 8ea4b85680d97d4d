#include "client/composition/ui/CompositionPanel.h"
#include "client/composition/ui/ComposeController.h"
#include "client/composition/ui/QuickMessageDialog.h"
#include "client/composition/ui/SignatureDialog.h"
#include "client/settings/ClientSettings.h"
#include "support/WidgetTest.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

const QString kAscii = "This version of Quorvel supports only ASCII characters.";
const QString kSplit = "Quorvel Subject + Message + Signature length is greater than 160 "
                       "characters.\r\nThe message text will be broken into two or more messages.";

// A message box as the program shows one: a modal window with a nested event
// loop, which takes the focus as a window manager gives it, then closes.
class ModalMessageBox : public MessageBox::Presenter {
public:
    ModalMessageBox() : m_previous(MessageBox::install(this)) {}
    ~ModalMessageBox() override { MessageBox::install(m_previous); }
    ModalMessageBox(const ModalMessageBox&) = delete;
    ModalMessageBox& operator=(const ModalMessageBox&) = delete;
    MessageBox::Answer present(const MessageBox::Request& request) override {
        shown << request.text;
        QDialog box(QApplication::activeWindow());
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

class CompositionPanelTest : public WidgetTest {
protected:
    // The panel as the main window loads it, beside a field of the same window.
    void load(const QByteArray& signFile = "PAGEIN- Message sent by Quorvel.\r\n") {
        inst.writeBytes("Config\\Sign.cfg", signFile);
        p = new CompositionPanel(
            settings, [this] { return inst.appPath(); }, [] { return 160; }, &window);
        elsewhere = new QLineEdit(&window);
        auto* l = new QVBoxLayout(&window);
        l->addWidget(p);
        l->addWidget(elsewhere);
        p->controller().InitCounters();
        p->controller().LoadQuickMessages();
        p->controller().ResetQuickMessageText();
        activate(&window);
        p->txtMessage->setFocus();
        boxes.clear();
    }
    QString message() const { return p->txtMessage->toPlainText(); }
    QStringList counters() const {
        return {p->txtLenSignature->text(), p->Text4->text(), p->txtLenTotal->text()};
    }
    void caretAt(int pos) {
        QTextCursor tc = p->txtMessage->textCursor();
        tc.setPosition(pos);
        p->txtMessage->setTextCursor(tc);
    }
    static void paste(QWidget* box, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    QStringList quickMessages() const {
        QStringList out;
        for (int i = 0; i < p->Combo1->count(); ++i)
            out << p->Combo1->itemText(i);
        return out;
    }

    ClientSettings settings;
    QWidget window;
    CompositionPanel* p = nullptr;
    QLineEdit* elsewhere = nullptr;
};

} // namespace

TEST_F(CompositionPanelTest, TextsOfTheEditorAndItsDialogs) {
    settings.BackColour = Colour{10, 20, 30};
    load();
    SignatureDialog sig(settings, inst.appPath());
    QuickMessageDialog quick(settings, inst.appPath());
    const std::pair<QString, QString> texts[] = {
        {p->Combo1->placeholderText(), "Quick Message"},
        {sig.windowTitle(), "Change Signature"},
        {sig.Label1->text(), "Signature Text"},
        {sig.chkPageInfo->text(), "Page Count && TimeStamp"},
        {sig.Command1->text(), "Accept"},
        {sig.Command2->text(), "Cancel"},
        {quick.windowTitle(), "Add Quick Message"},
        {quick.txtQuickMessage->toolTip(), "Enter a Quick message"},
        {quick.picAdd->toolTip(), "Add To Quick Message List"},
        {quick.picClear->toolTip(), "Clear Quick Message"},
        {quick.lblAdd->text(), "Add"},
        {quick.lblClear->text(), "Delete"},
    };
    for (const auto& [shown, specified] : texts)
        EXPECT_EQ(shown, specified);
    for (QWidget* w : {static_cast<QWidget*>(&sig), static_cast<QWidget*>(sig.chkPageInfo),
                       static_cast<QWidget*>(&quick), static_cast<QWidget*>(quick.picAdd),
                       static_cast<QWidget*>(quick.picClear)})
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(10, 20, 30));
}

TEST_F(CompositionPanelTest, TypedKeysFollowTheCharacterRulesInBothBoxes) {
    load();
    for (QWidget* box :
         {static_cast<QWidget*>(p->txtMessage), static_cast<QWidget*>(p->txtSubject)}) {
        box->setFocus();
        QTest::keyClicks(box, "a#[\\]^{|}~b");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        typeText(box, QString::fromLatin1("\xA3") + QChar(0xE9) + QChar(0x20AC));
    }
    EXPECT_EQ(message(), QString::fromLatin1("ab\xA3"));
    EXPECT_EQ(p->txtSubject->text(), QString::fromLatin1("ab\xA3"));
    EXPECT_EQ(boxes.texts(), QStringList(4, kAscii)) << "barred keys vanish without a word";
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);
}

TEST_F(CompositionPanelTest, CountersAndOneSplitWarningPerMessage) {
    load("NOPAGE" + QByteArray(30, 's') + "\r\n");
    QTest::keyClicks(p->txtSubject, "ab");
    QTest::keyClicks(p->txtMessage, QString(126, 'm'));
    EXPECT_EQ(counters(), (QStringList{"30", "130", "160"}));
    EXPECT_EQ(base(p->txtLenTotal), toQColor(kWhite));
    EXPECT_TRUE(boxes.shown().isEmpty());
    // The total is read while the warning is up: the user sees it orange behind the box.
    QStringList seen;
    {
        PeekingMessageBox peek([&](const MessageBox::Request&) {
            seen << p->txtLenTotal->text() << base(p->txtLenTotal).name();
        });
        QTest::keyClick(p->txtMessage, Qt::Key_M);
    }
    EXPECT_EQ(seen, (QStringList{"161", toQColor(kOrange).name()}));
    EXPECT_EQ(boxes.texts(), QStringList{kSplit});
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    QTest::keyClicks(p->txtSubject, "x");
    QTest::keyClick(p->txtMessage, Qt::Key_Backspace);
    EXPECT_EQ(boxes.shown().size(), 1) << "one warning per composed message";

    // Emptied, by the clear button or by hand in either order, it is a new message.
    p->Picture17->click();
    EXPECT_EQ(counters(), (QStringList{"30", "0", "30"}));
    EXPECT_EQ(base(p->txtLenTotal), toQColor(kWhite));
    p->txtMessage->setPlainText(QString(200, 'n'));
    EXPECT_EQ(boxes.shown().size(), 2);
    QTest::keyClicks(p->txtSubject, "s");
    p->txtMessage->clear();
    p->txtSubject->clear();
    p->txtMessage->setPlainText(QString(200, 'n'));
    EXPECT_EQ(boxes.shown().size(), 3);
}

TEST_F(CompositionPanelTest, AFullSubjectRefusesAllButBackspace) {
    load();
    p->txtSubject->setText(QString(100, 's'));
    EXPECT_EQ(base(p->Text4), toQColor(kWhite));
    p->txtSubject->setFocus();
    QTest::keyClick(p->txtSubject, Qt::Key_X);
    EXPECT_EQ(p->txtSubject->text().size(), 100);
    EXPECT_EQ(boxes.texts(), QStringList{"Quorvel Subject length is 100 characters."});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    EXPECT_EQ(base(p->Text4), toQColor(kOrange));
    boxes.clear();
    typeText(p->txtSubject, QString(QChar(0xE9)));
    EXPECT_EQ(boxes.texts(), (QStringList{kAscii, "Quorvel Subject length is 100 characters."}));
    boxes.clear();
    QTest::keyClicks(p->txtSubject, "#");
    QTest::keyClick(p->txtSubject, Qt::Key_Backspace);
    EXPECT_EQ(p->txtSubject->text().size(), 99);
    EXPECT_TRUE(boxes.shown().isEmpty()) << "barred keys stop before the length rule";
}

TEST_F(CompositionPanelTest, PastesAreCleanedOrTakenBackWhole) {
    load();
    QTest::keyClicks(p->txtMessage, "Hello world");
    caretAt(5);
    paste(p->txtMessage, QString(" dear caf") + QChar(0xE9));
    EXPECT_EQ(message(), "Hello world") << "the text after the caret survives";
    EXPECT_EQ(p->txtMessage->textCursor().position(), 5);
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(p->Text4->text(), "11");
    // A selection replaced by a refused paste comes back too.
    QTextCursor tc = p->txtMessage->textCursor();
    tc.setPosition(6);
    tc.setPosition(11, QTextCursor::KeepAnchor);
    p->txtMessage->setTextCursor(tc);
    paste(p->txtMessage, QString("there") + QChar(0x200F));
    EXPECT_EQ(message(), "Hello world");
    EXPECT_EQ(p->txtMessage->textCursor().selectedText(), "world");
    // Undo does not bring the refused text back.
    caretAt(11);
    QTest::keyClicks(p->txtMessage, "!");
    p->txtMessage->undo();
    EXPECT_EQ(message(), "Hello world");

    // Barred characters go silently, by keys and by the context menu alike,
    // and one undo step takes the whole paste away.
    boxes.clear();
    p->txtMessage->setPlainText("ab");
    caretAt(1);
    paste(p->txtMessage, "1#2[3]4~5");
    EXPECT_EQ(message(), "a12345b");
    EXPECT_EQ(p->txtMessage->textCursor().position(), 6);
    QGuiApplication::clipboard()->setText("{x}|y^");
    p->txtMessage->paste();
    EXPECT_EQ(message(), "a12345xyb");
    EXPECT_EQ(p->Text4->text(), "9");
    p->txtMessage->undo();
    EXPECT_EQ(message(), "a12345b");
    p->txtSubject->setFocus();
    paste(p->txtSubject, "re: #5 [draft]");
    EXPECT_EQ(p->txtSubject->text(), "re: 5 draft");
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(CompositionPanelTest, PastesOfAnySizeAndCharacterLeaveTheBoxesWithinTheRules) {
    load();
    const QString junk = QString(50000, 'a') + '\t' + QChar(0) + QChar(0x200F) + QChar(0xD83D) +
                         QChar(0xDE00) + "#" + QString(50000, 'b');
    QTest::keyClicks(p->txtMessage, "keep");
    paste(p->txtMessage, junk);
    EXPECT_EQ(message(), "keep");
    paste(p->txtSubject, QString(QChar(0xD83D)) + QChar(0xDE00) + junk);
    EXPECT_EQ(p->txtSubject->text(), "");
    EXPECT_EQ(boxes.texts(), (QStringList{kAscii, kAscii}));
    paste(p->txtSubject, junk);
    EXPECT_EQ(p->txtSubject->text(), QString(100, 'a')) << "the first 100 characters";
    p->txtSubject->clear();
    boxes.clear();
    const QString allowed = QString(100000, 'z') + '\t' + QChar(0) + "~\r\n" + "end";
    paste(p->txtMessage, allowed);
    EXPECT_EQ(message(), "keep" + QString(100000, 'z') + "\t\nend");
    EXPECT_EQ(p->Text4->text(), QString::number(4 + 100000 + 1 + 2 + 3));
    EXPECT_EQ(boxes.texts(), QStringList{kSplit});
    paste(p->txtSubject, "x\t" + allowed);
    EXPECT_EQ(p->txtSubject->text(), "x\t" + QString(98, 'z'));
}

// A pasted CR LF counts two, a lone CR or LF one, though the box shows each
// as one break until it loses the focus; then each CR and LF becomes a blank.
TEST_F(CompositionPanelTest, PastedLineBreaksCountAsTheyCameAndBecomeOneBlankEach) {
    load("NOPAGE" + QByteArray(10, 's') + "\r\n");
    paste(p->txtMessage, "one\r\ntwo\nthree\rfour");
    EXPECT_EQ(message(), "one\ntwo\nthree\nfour");
    EXPECT_EQ(counters(), (QStringList{"10", "19", "29"}));
    p->txtSubject->setFocus();
    EXPECT_EQ(message(), "one  two three four");
    EXPECT_EQ(counters(), (QStringList{"10", "19", "29"})) << "the counters do not change";

    // At the limit a CR LF weighs two.
    p->txtMessage->setFocus();
    QTest::keyClicks(p->txtMessage, QString(129, 'x'));
    paste(p->txtMessage, "\r\n");
    EXPECT_EQ(p->txtLenTotal->text(), "160");
    EXPECT_TRUE(boxes.shown().isEmpty());
    paste(p->txtMessage, "\n");
    EXPECT_EQ(boxes.texts(), QStringList{kSplit});

    // Dropped text brings its breaks as they came too.
    p->Picture17->click();
    QMimeData mime;
    mime.setText("x\r\ny");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p->txtMessage->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p->txtMessage->viewport(), &drop);
    EXPECT_EQ(p->Text4->text(), "4");

    // A cleaned paste keeps what its breaks were, and so does a selection a
    // refused paste gives back; the caret's key-down position counts them.
    boxes.clear();
    p->Picture17->click();
    p->txtMessage->setFocus();
    paste(p->txtMessage, "a\r\n#b\nc\rd");
    EXPECT_EQ(p->Text4->text(), "8");
    p->txtMessage->selectAll();
    paste(p->txtMessage, QString(QChar(0xE9)));
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(p->Text4->text(), "8");
    QTest::keyClick(p->txtMessage, Qt::Key_End);
    EXPECT_EQ(p->controller().editor().PastePosition, "8");
    // Send replaces them with the focus still in the box, caret kept.
    caretAt(1);
    p->replaceLineBreaks();
    EXPECT_EQ(p->message(), "a  b c d");
    EXPECT_EQ(p->txtMessage->textCursor().position(), 1);
    // In the one-line subject a line break becomes a space at once.
    paste(p->txtSubject, "a\r\nb\rc\nd");
    EXPECT_EQ(p->txtSubject->text(), "a b c d");
}

TEST_F(CompositionPanelTest, FocusLossChecksOnceWithinTheWindowAndTakesTheFocusBack) {
    load();
    // Refused text in both boxes does not bounce the focus between them.
    elsewhere->setFocus();
    p->txtSubject->setText(QString(QChar(0xE9)));
    p->txtMessage->setPlainText(QString(QChar(0xE9)));
    p->controller().editor().PastePosition = "1";
    p->txtSubject->setFocus();
    p->txtMessage->setFocus();
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(QApplication::focusWidget(), p->txtSubject);
    p->txtMessage->setFocus();
    EXPECT_EQ(boxes.shown().size(), 2) << "one box per move, never a chain";

    // Text the program put there bypasses the paste check; focus loss catches it.
    boxes.clear();
    p->txtSubject->clear();
    p->txtMessage->setPlainText(QString("na") + QChar(0xEF) + "ve\nline");
    p->txtMessage->setFocus();
    elsewhere->setFocus();
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(QApplication::focusWidget(), p->txtMessage);
    EXPECT_EQ(message(), QString("na") + QChar(0xEF) + "ve line") << "breaks replaced, text kept";

    // Focus going straight to another window is no loss of focus within this one.
    boxes.clear();
    QWidget other;
    auto* otherBox = new QLineEdit(&other);
    activate(&other);
    ASSERT_EQ(QApplication::focusWidget(), otherBox);
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), otherBox) << "the focus is not taken back";
}

// A real modal box takes the focus while it is up. That move, and the focus
// coming back, are no loss of focus within the window: each box shows once.
TEST_F(CompositionPanelTest, AModalBoxTakingTheFocusIsNoLossOfFocus) {
    load();
    ModalMessageBox modal;
    const QString text = QString("caf") + QChar(0xE9) + "\nline";
    p->txtMessage->setPlainText(text);
    p->txtMessage->setFocus();
    caretAt(int(text.size()));
    paste(p->txtMessage, QString(QChar(0xE9)));
    QApplication::setActiveWindow(&window);
    EXPECT_EQ(modal.shown, QStringList{kAscii}) << "the paste's box alone";
    EXPECT_EQ(message(), text) << "the focus never left the box";
    modal.shown.clear();
    elsewhere->setFocus();
    QApplication::setActiveWindow(&window);
    EXPECT_EQ(modal.shown, QStringList{kAscii}) << "the focus-loss check's box, once";
    EXPECT_EQ(QApplication::focusWidget(), p->txtMessage);
}

TEST_F(CompositionPanelTest, TheSubjectIsCheckedFromTheCaretOfTheLastKeyDownInEitherBox) {
    load();
    QTest::keyClicks(p->txtMessage, "abcd");
    caretAt(2);
    QTest::keyClick(p->txtMessage, Qt::Key_Right);
    EXPECT_EQ(p->controller().editor().PastePosition, "2");
    QTest::keyClicks(p->txtSubject, "wxyz");
    EXPECT_EQ(p->controller().editor().PastePosition, "3");

    p->txtSubject->setFocus();
    p->txtSubject->setText(QString("x") + QChar(0xE9) + "yz");
    p->controller().editor().PastePosition = "3";
    p->txtMessage->setFocus();
    EXPECT_TRUE(boxes.shown().isEmpty()) << "the tail from the key-down caret is clean";
    p->txtSubject->setFocus();
    p->controller().editor().PastePosition = "2";
    p->txtMessage->setFocus();
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(QApplication::focusWidget(), p->txtSubject);
}

TEST_F(CompositionPanelTest, ClearingAndTheSendersInterface) {
    load();
    p->Combo1->setCurrentIndex(1);
    QTest::keyClicks(p->txtSubject, "s");
    QTest::keyClicks(p->txtMessage, "m");
    p->Picture17->click();
    EXPECT_EQ(message() + p->txtSubject->text() + p->Combo1->currentText(), "");
    EXPECT_EQ(p->Text4->text(), "0");
    EXPECT_EQ(QApplication::focusWidget(), p->txtSubject);

    QTest::keyClicks(p->txtSubject, "Hi");
    p->txtMessage->setPlainText(QString(200, 'm'));
    EXPECT_EQ(p->subject() + '|' + p->message(), "Hi|" + QString(200, 'm'));
    EXPECT_TRUE(p->signatureOn());
    p->colourMessage(kOrange);
    EXPECT_EQ(base(p->txtMessage), toQColor(kOrange));
    p->Combo1->setCurrentIndex(1);
    p->clearForNextMessage();
    EXPECT_EQ(p->subject() + p->message() + p->Combo1->currentText(), "");
    EXPECT_EQ(counters(), (QStringList{"53", "0", "53"}));
    boxes.clear();
    p->txtMessage->setPlainText(QString(200, 'n'));
    EXPECT_EQ(boxes.texts(), QStringList{kSplit}) << "the next message warns again";
}

TEST_F(CompositionPanelTest, TheSignatureDialogShowsTheFileAndAcceptUpdatesTheCounters) {
    const std::tuple<QByteArray, bool, QString> shown[] = {
        {"PAGEIN- Message sent by Quorvel.\r\n", true, "- Message sent by Quorvel."},
        {"NOPAGEWalter\r\n", false, "Walter"},
        {"Hello World\r\n", true, "Hello World"},
        {"", false, "- Message sent by Quorvel."},
        {"NOPAGEx\r\n\r\n", false, "- Message sent by Quorvel."},
    };
    for (const auto& [file, ticked, text] : shown) {
        inst.writeBytes("Config\\Sign.cfg", file);
        SignatureDialog d(settings, inst.appPath());
        EXPECT_EQ(d.chkPageInfo->isChecked(), ticked) << file.toStdString();
        EXPECT_EQ(d.PageFlag, ticked ? "PAGEIN" : "NOPAGE");
        EXPECT_EQ(d.Text1->text(), text) << file.toStdString();
    }

    load();
    QTest::keyClicks(p->txtSubject, "ab");
    QTest::keyClicks(p->txtMessage, "hello");
    ASSERT_EQ(counters(), (QStringList{"53", "9", "62"}));
    const auto accept = [this](const QString& text, bool page) {
        onModal<SignatureDialog>([text, page](SignatureDialog& d) {
            d.Text1->setText(text);
            d.chkPageInfo->setChecked(page);
            d.Command1->click();
        });
        p->Picture10->click();
    };
    accept("  Bob  ", true);
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("PAGEINBob\r\n"));
    EXPECT_EQ(counters(), (QStringList{"30", "9", "39"}));
    // With the signature off the file is still written; the counters drop it.
    p->Check2->setChecked(false);
    EXPECT_EQ(counters(), (QStringList{"0", "9", "7"})) << "switching leaves the parentheses out";
    accept("Walter", false);
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGEWalter\r\n"));
    EXPECT_EQ(counters(), (QStringList{"0", "9", "9"}));
    p->Check2->setChecked(true);
    EXPECT_EQ(counters(), (QStringList{"6", "9", "13"})) << "read afresh from the file";
    // Only blanks are trimmed; Enter in the text presses Accept, the default button.
    onModal<SignatureDialog>([](SignatureDialog& d) {
        d.Text1->setText(" \tBob\t ");
        d.chkPageInfo->setChecked(false);
        QTest::keyClick(d.Text1, Qt::Key_Enter);
        if (d.isVisible())
            d.Command2->click();
    });
    p->Picture10->click();
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGE\tBob\t\r\n"));
    EXPECT_EQ(counters(), (QStringList{"5", "9", "14"}));
    // Cancel changes nothing.
    onModal<SignatureDialog>([](SignatureDialog& d) {
        d.Text1->setText("Other");
        d.Command2->click();
    });
    p->Picture10->click();
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGE\tBob\t\r\n"));
    EXPECT_EQ(counters(), (QStringList{"5", "9", "14"}));
}

TEST_F(CompositionPanelTest, TheSignatureBoxTakesThirtyAllowedCharactersAndAFailedSaveSaysSo) {
    SignatureDialog d(settings, inst.appPath());
    activate(&d);
    d.Text1->clear();
    QTest::keyClicks(d.Text1, "ab#~c");
    typeText(d.Text1, QString(QChar(0xE9)));
    EXPECT_EQ(d.Text1->text(), "abc");
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(boxes.last().title, "Quorvel") << "not the main window's title";
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);
    boxes.clear();
    QTest::keyClicks(d.Text1, QString(28, 'x'));
    EXPECT_EQ(d.Text1->text(), "abc" + QString(27, 'x'));
    EXPECT_EQ(boxes.texts(), QStringList{"Only 30 Characters Allowed for Signatures"});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    d.Text1->clear();
    QGuiApplication::clipboard()->setText(QString(5000, 'p'));
    d.Text1->paste();
    EXPECT_EQ(d.Text1->text(), QString(30, 'p'));
    EXPECT_EQ(boxes.shown().size(), 2);

    QDir(inst.file("Config")).removeRecursively();
    inst.writeBytes("Config", "a file where the folder should be");
    boxes.clear();
    d.Command1->click();
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
}

TEST_F(CompositionPanelTest, ChoosingAQuickMessageReplacesTheMessageOnly) {
    inst.writeBytes("config\\QuickMsg.Dat", "On my way.\r\n\r\nCall #me [now]\r\ncaf\xe9 #1\r\n");
    load();
    ASSERT_EQ(quickMessages(), (QStringList{"On my way.", "", "Call #me [now]", "caf\u00e9 #1"}));
    EXPECT_EQ(p->Combo1->currentIndex(), -1);
    QTest::keyClicks(p->txtSubject, "s");
    QTest::keyClicks(p->txtMessage, "typed text");
    emit p->Combo1->activated(0);
    EXPECT_EQ(message(), "On my way.");
    EXPECT_EQ(counters(), (QStringList{"53", "13", "66"}));
    EXPECT_EQ(base(p->Text4), toQColor(kWhite));
    emit p->Combo1->activated(2);
    EXPECT_EQ(message(), "Call me now") << "barred characters dropped";
    p->txtSubject->clear();
    emit p->Combo1->activated(1);
    EXPECT_EQ(base(p->Text4), toQColor(kOrange)) << "an empty message";
    EXPECT_TRUE(boxes.shown().isEmpty());

    // A refused character (only a hand-edited file holds one) is taken and
    // reported by the focus-loss check, not changed.
    emit p->Combo1->activated(3);
    EXPECT_EQ(message(), "caf\u00e9 1");
    EXPECT_TRUE(boxes.shown().isEmpty());
    p->txtMessage->setFocus();
    elsewhere->setFocus();
    EXPECT_EQ(boxes.texts(), QStringList{kAscii});
    EXPECT_EQ(message(), "caf\u00e9 1");
}

// A wheel turned while the pointer passes over the closed drop-down, or keys
// typed into it, must not replace the message being composed.
TEST_F(CompositionPanelTest, TheQuickMessageDropDownChoosesOnlyWhenPickedFrom) {
    inst.writeBytes("config\\QuickMsg.Dat", "On my way.\r\nOK\r\n");
    load();
    const auto wheel = [this] {
        const QPointF at(p->Combo1->rect().center());
        QWheelEvent e(at, p->Combo1->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(p->Combo1, &e);
    };
    QTest::keyClicks(p->txtMessage, "typed text");
    wheel();
    EXPECT_EQ(p->Combo1->currentIndex(), -1);
    p->Combo1->setFocus();
    QTest::keyClicks(p->Combo1, "OK");
    EXPECT_EQ(p->Combo1->currentIndex(), -1);
    EXPECT_EQ(message(), "typed text");
    wheel();
    EXPECT_EQ(p->Combo1->currentIndex(), 0) << "with the focus the wheel chooses as usual";
    EXPECT_EQ(message(), "On my way.");
}

TEST_F(CompositionPanelTest, TheQuickMessageDialogAddsDeletesAndKeepsLinesWhole) {
    const QByteArray longLines = QByteArray(200, 'q') + "\r\n" + QByteArray(121, 'r') + " t  \r\n";
    inst.writeBytes("config\\QuickMsg.Dat", "On my way.\r\n" + longLines);
    load();
    onModal<QuickMessageDialog>([this](QuickMessageDialog& d) {
        EXPECT_EQ(d.lstQuickMessage->item(1)->text(), QString(200, 'q'));
        d.txtQuickMessage->setText("  Running late.  ");
        d.lblAdd->clicked();
        EXPECT_EQ(d.txtQuickMessage->text(), "");
        d.txtQuickMessage->setText(" On my way. ");
        d.picAdd->click();
        EXPECT_EQ(boxes.texts(), QStringList{"Quick message already exists"});
        d.picClear->click();
        EXPECT_EQ(boxes.last().text, "Please select the Quick message to delete.");
        d.lstQuickMessage->setCurrentRow(1);
        boxes.answerNext(MessageBox::Answer::No);
        d.lblClear->clicked();
        boxes.answerNext(MessageBox::Answer::Yes);
        d.picClear->click();
        d.txtQuickMessage->setText("not added");
        d.cmdCancel->click();
    });
    p->picQuickMsg->click();
    const QByteArray saved = "On my way.\r\n" + QByteArray(121, 'r') + " t  \r\nRunning late.\r\n";
    EXPECT_EQ(inst.bytes("config\\QuickMsg.Dat"), saved);
    EXPECT_EQ(quickMessages(),
              (QStringList{"On my way.", QString(121, 'r') + " t  ", "Running late."}));
    EXPECT_EQ(p->Combo1->currentIndex(), -1);
    emit p->Combo1->activated(1);
    EXPECT_EQ(message(), QString(121, 'r') + " t  ") << "the whole entry becomes the message";

    // OK adds and closes, but stays open on a refusal; Enter presses it.
    onModal<QuickMessageDialog>([this](QuickMessageDialog& d) {
        d.txtQuickMessage->setText("   ");
        d.cmdOk->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(boxes.last().text, "Enter a Quick message");
        d.txtQuickMessage->setText("Back soon");
        QTest::keyClick(d.txtQuickMessage, Qt::Key_Return);
        if (d.isVisible())
            d.cmdCancel->click();
    });
    p->picQuickMsg->click();
    EXPECT_EQ(inst.bytes("config\\QuickMsg.Dat"), saved + "Back soon\r\n");
    // The close box saves too; the box takes at most 120 allowed characters.
    onModal<QuickMessageDialog>([this](QuickMessageDialog& d) {
        QTest::keyClicks(d.txtQuickMessage, QString(121, 'q'));
        EXPECT_EQ(d.txtQuickMessage->text(), QString(120, 'q'));
        d.txtQuickMessage->clear();
        boxes.clear();
        QTest::keyClicks(d.txtQuickMessage, "a|b");
        typeText(d.txtQuickMessage, QString(QChar(0xFC)));
        EXPECT_EQ(d.txtQuickMessage->text(), "ab");
        EXPECT_EQ(boxes.texts(), QStringList{kAscii});
        EXPECT_EQ(boxes.last().title, "Quorvel Warning");
        d.lstQuickMessage->setCurrentRow(0);
        boxes.answerNext(MessageBox::Answer::Yes);
        d.picClear->click();
        d.close();
    });
    p->picQuickMsg->click();
    EXPECT_EQ(quickMessages().first(), QString(121, 'r') + " t  ");
    EXPECT_FALSE(inst.bytes("config\\QuickMsg.Dat").startsWith("On my way."));
}
