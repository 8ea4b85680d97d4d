#include "support/MainFormFixture.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/shell/ui/MainFormControls.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

const char* const kUkText = "United Kingdom  +44";

class RecipientsTest : public MainFormFixture {
protected:
    void single(const QString& name, const QString& mobile) {
        c().Text1->setText(name);
        c().Text3->setText(mobile);
    }
    QStringList combo2() {
        QStringList out;
        for (int i = 0; i < c().Combo2->count(); ++i)
            out << c().Combo2->itemText(i);
        return out;
    }
    QList<Qt::CheckState> checks() {
        QList<Qt::CheckState> out;
        for (int i = 0; i < c().List4->count(); ++i)
            out << c().List4->item(i)->checkState();
        return out;
    }
    void drop(const QString& text) {
        QMimeData mime;
        mime.setText(text);
        // As a drag does it: the drop goes where the entering drag was accepted.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c().List4->viewport(), &enter);
        QDropEvent e(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c().List4->viewport(), &e);
    }
    static bool bold(QLabel* l) { return l->font().bold(); }
    // Shutdown, then a new start on the same installation.
    void restart() {
        form->close();
        form = std::make_unique<MainForm>(settings, inst.root(), inst.root());
        form->showOptionsWindow = [] { return true; };
        loadAndShow();
    }
};

} // namespace

TEST_F(RecipientsTest, AddSingleContactAddsCheckedAppendsAtOnceAndClears) {
    inst.writeBytes("Config\\BudList.dat", "Old  +441\r\n");
    loadAndShow();
    paintBase(c().List4, kOrange);
    single("Jane Smith", "0123");
    c().Picture4->click();
    EXPECT_EQ(items(c().List4), (QStringList{"Old  +441", "Jane Smith  +44123"}));
    EXPECT_EQ(checks(), (QList<Qt::CheckState>{Qt::Checked, Qt::Checked}));
    EXPECT_EQ(base(c().List4), toQColor(kWhite));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("Old  +441\r\nJane Smith  +44123\r\n"));
    EXPECT_EQ(c().Text1->text(), "");
    EXPECT_EQ(c().Text3->text(), "");
    EXPECT_EQ(c().cmbCountryCode->currentText(), "United Kingdom  +44");
    EXPECT_EQ(QApplication::focusWidget(), c().Text1);
    EXPECT_TRUE(boxes.shown().isEmpty());

    // The same again gives a second, identical entry; the label works like the button.
    single("Jane Smith", "0123");
    emit c().lblAddSingleContact->clicked();
    EXPECT_EQ(c().List4->count(), 3);
    EXPECT_EQ(c().List4->item(2)->text(), "Jane Smith  +44123");
    EXPECT_TRUE(boxes.shown().isEmpty());

    // A file that refuses the line is reported as the save at shutdown reports it;
    // the entry stays listed for that save.
    inst.remove("Config\\BudList.dat");
    ASSERT_TRUE(QDir().mkpath(inst.file("Config\\BudList.dat")));
    single("Al", "0124");
    c().Picture4->click();
    ASSERT_EQ(boxes.texts(),
              QStringList{"The Number List could not be saved in Config\\BudList.dat."});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    EXPECT_EQ(c().List4->item(3)->text(), "Al  +44124");
}

// The labels are read while each box is up: the user sees the missing
// field marked behind the message, not only after closing it.
TEST_F(RecipientsTest, MissingNameOrNumberTurnsItsLabelBoldBeforeTheMessage) {
    loadAndShow();
    struct Seen {
        QString text;
        bool nameBold, mobileBold;
    };
    QList<Seen> seen;
    PeekingMessageBox peek([&](const MessageBox::Request& r) {
        seen.append({r.text, bold(c().lblName), bold(c().lblMobile)});
    });
    struct Step {
        QToolButton* button;
        const char* name;
        const char* mobile;
        const char* country;
        const char* message;
        bool nameBold, mobileBold;
        QWidget* focus;
    } steps[] = {
        {c().Picture4, "", "0123", kUkText, "Please enter a Name        ", true, false, c().Text1},
        {c().Picture4, "Jo", "", kUkText, "Please enter a Number      ", false, true, c().Text3},
        {c().Picture4, "", "0123", kUkText, "Please enter a Name        ", true, true, c().Text1},
        // Both fields filled: both labels are normal again before the country box speaks.
        {c().Picture4, "Jo", "0123", "", "Country code cannot be empty", false, false,
         c().cmbCountryCode},
        {c().Picture3, "", "0123", kUkText, "Please select a Name        ", true, false, c().Text1},
        {c().Picture3, "Jo", "", kUkText, "Please enter a Number        ", false, true, c().Text3},
        {c().Picture3, "Jo", "0123", "44",
         "Country code must begin with + sign followed by numbers", false, false,
         c().cmbCountryCode},
    };
    for (const Step& s : steps) {
        seen.clear();
        single(s.name, s.mobile);
        c().cmbCountryCode->setCurrentText(s.country);
        s.button->click();
        ASSERT_EQ(seen.size(), 1) << s.message;
        EXPECT_EQ(seen[0].text, s.message);
        EXPECT_EQ(seen[0].nameBold, s.nameBold) << s.message;
        EXPECT_EQ(seen[0].mobileBold, s.mobileBold) << s.message;
        EXPECT_EQ(bold(c().lblName), s.nameBold) << s.message;
        EXPECT_EQ(bold(c().lblMobile), s.mobileBold) << s.message;
        EXPECT_EQ(boxes.last().title, "Quorvel Warning");
        EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
        EXPECT_EQ(QApplication::focusWidget(), s.focus) << s.message;
    }
    EXPECT_EQ(c().List4->count(), 0);
    EXPECT_EQ(c().Combo2->count(), 0);

    c().Picture16->click();
    EXPECT_FALSE(bold(c().lblName));
    EXPECT_FALSE(bold(c().lblMobile));
    EXPECT_EQ(c().Text1->text(), "");
}

TEST_F(RecipientsTest, ABadNameIsReportedWithTheNameSelectedAfterwards) {
    loadAndShow();
    bool selectedDuringBox = true;
    PeekingMessageBox peek(
        [&](const MessageBox::Request&) { selectedDuringBox = c().Text1->hasSelectedText(); });
    // Past the name filter, which would shorten it at once: the add action checks again.
    c().Text1->blockSignals(true);
    c().Text1->setText("Anne-Marie");
    c().Text1->blockSignals(false);
    c().Text1->setCursorPosition(0);
    c().Picture4->click();
    EXPECT_EQ(boxes.texts(), QStringList{"The Name must only consist of letters"});
    EXPECT_FALSE(selectedDuringBox) << "message first, then the selection";
    EXPECT_EQ(c().Text1->selectedText(), "Anne-Marie");
    EXPECT_EQ(QApplication::focusWidget(), c().Text1);
}

TEST_F(RecipientsTest, PastedNumbersAreCleanedAndAPlusTurnsTheCountryBoxOff) {
    loadAndShow();
    c().Text3->setFocus();
    QGuiApplication::clipboard()->setText("+44 123");
    c().Text3->paste();
    EXPECT_EQ(c().Text3->text(), "+44123");
    EXPECT_FALSE(c().cmbCountryCode->isEnabled());
    c().Text1->setText("Jo");
    c().cmbCountryCode->setCurrentText("France  +33");
    c().Picture4->click();
    EXPECT_EQ(items(c().List4), QStringList{"Jo  +44123"}) << "the country box is ignored";
    EXPECT_TRUE(c().cmbCountryCode->isEnabled());

    c().Text3->setFocus();
    QGuiApplication::clipboard()->setText("(0)77-123");
    c().Text3->paste();
    EXPECT_EQ(c().Text3->text(), "077123");
    EXPECT_TRUE(c().cmbCountryCode->isEnabled());
    c().Text1->setText("Al");
    c().Picture4->click();
    EXPECT_EQ(c().List4->item(1)->text(), "Al  +4477123");

    for (auto [typed, added] :
         {std::pair{"0612", "Fr  +33612"}, std::pair{"33612", "Fr  +33612"}}) {
        single("Fr", typed);
        c().cmbCountryCode->setCurrentText("France  +33");
        c().Picture4->click();
        EXPECT_EQ(c().List4->item(c().List4->count() - 1)->text(), added);
    }

    // A trunk prefix written after the country code, and the international
    // access prefix, whatever the country box says.
    for (auto [pasted, field] : {std::pair{"+44 (0)7700 900123", "+447700900123"},
                                 std::pair{"0044 7700 900123", "00447700900123"},
                                 std::pair{"0044 (0)7700 900123", "00447700900123"}}) {
        c().Text3->setFocus();
        QGuiApplication::clipboard()->setText(pasted);
        c().Text3->paste();
        EXPECT_EQ(c().Text3->text(), field) << pasted;
        c().Text1->setText("Uk");
        c().cmbCountryCode->setCurrentText("France  +33");
        c().Picture4->click();
        EXPECT_EQ(c().List4->item(c().List4->count() - 1)->text(), "Uk  +447700900123") << pasted;
    }
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(RecipientsTest, TheMobileFieldRefusesOtherKeys) {
    loadAndShow();
    c().Text3->setFocus();
    QTest::keyClicks(c().Text3, "07a7-");
    EXPECT_EQ(c().Text3->text(), "077");
    EXPECT_EQ(boxes.texts(), (QStringList{"Mobile number must only contain digits        ",
                                          "Mobile number must only contain digits        "}));
    boxes.clear();
    QTest::keyClick(c().Text3, Qt::Key_Backspace);
    QTest::keyClick(c().Text3, Qt::Key_Home);
    QTest::keyClicks(c().Text3, "+");
    EXPECT_EQ(c().Text3->text(), "+07");
    EXPECT_FALSE(c().cmbCountryCode->isEnabled());
    QTest::keyClick(c().Text3, Qt::Key_End);
    QTest::keyClicks(c().Text3, "+");
    EXPECT_EQ(c().Text3->text(), "+07");
    EXPECT_EQ(boxes.shown().size(), 1);

    // Typed over a selection, the key lands where the selection starts.
    boxes.clear();
    c().Text3->setText("0771");
    c().Text3->selectAll();
    QTest::keyClicks(c().Text3, "+");
    EXPECT_EQ(c().Text3->text(), "+");
    EXPECT_FALSE(c().cmbCountryCode->isEnabled());
    c().Text3->setText("0771");
    c().Text3->setSelection(1, 2);
    QTest::keyClicks(c().Text3, "+");
    EXPECT_EQ(c().Text3->text(), "0771");
    EXPECT_EQ(boxes.texts(), QStringList{"Mobile number must only contain digits        "});
}

TEST_F(RecipientsTest, EnterAndEscInTheMobileFieldAreRefusedLikeAnyOtherKey) {
    loadAndShow();
    c().Text3->setFocus();
    QTest::keyClicks(c().Text3, "077");
    int returns = 0;
    QObject::connect(c().Text3, &QLineEdit::returnPressed, [&] { ++returns; });
    for (Qt::Key k : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        boxes.clear();
        QTest::keyClick(c().Text3, k);
        EXPECT_EQ(boxes.texts(), QStringList{"Mobile number must only contain digits        "})
            << k;
        EXPECT_EQ(boxes.last().title, "Quorvel Warning");
        EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    }
    EXPECT_EQ(returns, 0) << "the refused key is discarded";
    EXPECT_EQ(c().Text3->text(), "077");
}

TEST_F(RecipientsTest, EditingKeysAndShortcutsWorkSilentlyInTheMobileField) {
    loadAndShow();
    c().Text3->setFocus();
    QTest::keyClicks(c().Text3, "0771");
    QTest::keyClick(c().Text3, Qt::Key_Left);
    QTest::keyClick(c().Text3, Qt::Key_Delete);
    EXPECT_EQ(c().Text3->text(), "077");
    QTest::keyClick(c().Text3, Qt::Key_Home);
    QTest::keyClick(c().Text3, Qt::Key_Right);
    QTest::keyClick(c().Text3, Qt::Key_Backspace);
    EXPECT_EQ(c().Text3->text(), "77");
    QTest::keyClick(c().Text3, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(c().Text3, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "77");
    QTest::keyClick(c().Text3, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(c().Text3->text(), "");
    QTest::keyClick(c().Text3, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(c().Text3->text(), "77");
    QTest::keyClick(c().Text3, Qt::Key_End);
    QTest::keyClick(c().Text3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(c().Text3->text(), "7777");
    EXPECT_TRUE(boxes.shown().isEmpty());
    QTest::keyClick(c().Text3, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), c().Text3) << "Tab still moves on";
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(RecipientsTest, TheNameFieldDropsWhatIsNotALetter) {
    loadAndShow();
    c().Text1->setFocus();
    QTest::keyClicks(c().Text1, "Anne-Marie");
    EXPECT_EQ(c().Text1->text(), "AnneMarie");
    EXPECT_EQ(boxes.texts(), QStringList{"Name must only contain letters     "});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);

    // A long paste with a bad character near its start: one message, text cut there.
    boxes.clear();
    c().Text1->clear();
    QGuiApplication::clipboard()->setText("Jo5" + QString(100000, 'x'));
    c().Text1->paste();
    EXPECT_EQ(c().Text1->text(), "Jo");
    EXPECT_EQ(c().Text1->cursorPosition(), 2);
    EXPECT_EQ(boxes.shown().size(), 1);
}

TEST_F(RecipientsTest, CountryCodeProblemsFocusTheCountryBox) {
    loadAndShow();
    single("Jo", "0123");
    c().cmbCountryCode->setCurrentText("");
    c().Picture4->click();
    EXPECT_EQ(boxes.texts(), QStringList{"Country code cannot be empty"});
    EXPECT_EQ(QApplication::focusWidget(), c().cmbCountryCode);
    c().cmbCountryCode->setCurrentText("44");
    c().Picture4->click();
    EXPECT_EQ(boxes.last().text, "Country code must begin with + sign followed by numbers");
    c().cmbCountryCode->setCurrentText("+44");
    c().Picture4->click();
    EXPECT_EQ(items(c().List4), QStringList{"Jo  +44123"});
    EXPECT_EQ(c().cmbCountryCode->count(), 229);
}

TEST_F(RecipientsTest, RemoveOneAsksAndRemovesOnlyAHighlightedEntry) {
    loadAndShow();
    c().Picture7->click();
    EXPECT_EQ(boxes.texts(),
              QStringList{"Please select the Freq. Dialed Number to be Deleted        "});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");

    for (const char* e : {"A  +1", "B  +2", "C  +3"})
        form->recipients().AddEntry(e, true);
    boxes.clear();
    boxes.answerNext(MessageBox::Answer::Yes);
    c().Picture7->click();
    EXPECT_EQ(boxes.last().text, "Are you sure you want to delete the selected Contact Number?");
    EXPECT_EQ(boxes.last().title, "Quorvel");
    EXPECT_EQ(boxes.last().buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(boxes.last().defaultButton, MessageBox::Answer::No);
    EXPECT_EQ(c().List4->count(), 3) << "no current entry: nothing removed";

    c().List4->setCurrentRow(1);
    boxes.answerNext(MessageBox::Answer::No);
    emit c().Label4->clicked();
    EXPECT_EQ(c().List4->count(), 3);
    boxes.answerNext(MessageBox::Answer::Yes);
    c().Picture7->click();
    EXPECT_EQ(items(c().List4), (QStringList{"A  +1", "C  +3"}));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("<missing>"))
        << "the file waits for shutdown";
}

TEST_F(RecipientsTest, RemoveAllAsksThenReports) {
    loadAndShow();
    c().Picture8->click();
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Number List is empty     ");
    EXPECT_EQ(boxes.last().title, "Quorvel");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);

    form->recipients().AddEntry("A  +1");
    form->recipients().AddEntry("B  +2");
    boxes.clear();
    boxes.answerNext(MessageBox::Answer::No);
    emit c().Label5->clicked();
    EXPECT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Are you sure you want to delete all the Contact Numbers?");
    EXPECT_EQ(boxes.last().title, "Quorvel ");
    EXPECT_EQ(boxes.last().defaultButton, MessageBox::Answer::No);
    EXPECT_EQ(c().List4->count(), 2);

    boxes.answerNext(MessageBox::Answer::Yes);
    c().Picture8->click();
    EXPECT_EQ(c().List4->count(), 0);
    EXPECT_EQ(boxes.last().text, "Number List cleared     ");
    EXPECT_EQ(boxes.last().title, "Quorvel");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
}

TEST_F(RecipientsTest, CheckAllAndUncheckAll) {
    inst.writeBytes("Config\\BudList.dat", "A  +1\r\nB  +2\r\nC  +3\r\n");
    loadAndShow();
    c().List4->item(1)->setCheckState(Qt::Unchecked);
    c().optUnselectAll->click();
    EXPECT_EQ(checks(), (QList<Qt::CheckState>{Qt::Unchecked, Qt::Unchecked, Qt::Unchecked}));
    c().List4->item(2)->setCheckState(Qt::Checked);
    c().optSelectAll->click();
    EXPECT_EQ(checks(), (QList<Qt::CheckState>{Qt::Checked, Qt::Checked, Qt::Checked}));
    c().List4->item(0)->setCheckState(Qt::Unchecked);
    c().optSelectAll->click();
    EXPECT_EQ(checks()[0], Qt::Checked) << "choosing the same option again works again";
}

TEST_F(RecipientsTest, DroppedTextBecomesEntriesExceptAGroupNode) {
    loadAndShow();
    drop("node");
    EXPECT_EQ(c().List4->count(), 0);
    drop("node\r\n");
    drop("node\nnode");
    EXPECT_EQ(c().List4->count(), 0) << "each line is a node";
    drop("Jane Smith  +44123");
    drop("A  +1\r\nnode\rB  +2\n\n");
    EXPECT_EQ(items(c().List4), (QStringList{"Jane Smith  +44123", "A  +1", "B  +2"}));
    EXPECT_EQ(checks(), (QList<Qt::CheckState>{Qt::Checked, Qt::Checked, Qt::Checked}));
}

TEST_F(RecipientsTest, InvalidStoredLinesAreGoneAfterTheNextShutdown) {
    inst.writeBytes("Config\\BudList.dat", "Jo  0123\r\nAl  +4477\r\nBo  +44 123\r\n");
    loadAndShow();
    EXPECT_EQ(items(c().List4), QStringList{"Al  +4477"});
    c().List4->item(0)->setCheckState(Qt::Unchecked);
    form->recipients().AddEntry("From a group  +331", true);
    form->close();
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("Al  +4477\r\nFrom a group  +331\r\n"));
}

TEST_F(RecipientsTest, ALargeNumberListLoadsWhole) {
    QByteArray file;
    for (int i = 0; i < 10000; ++i)
        file += "Contact " + QByteArray::number(i) + "  +44770090" + QByteArray::number(i) + "\r\n";
    inst.writeBytes("Config\\BudList.dat", file);
    loadAndShow();
    EXPECT_EQ(c().List4->count(), 10000);
    EXPECT_EQ(c().List4->item(9999)->text(), "Contact 9999  +447700909999");
    form->close();
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), file);
}

// Whatever the fields let a user add, the next start loads back.
TEST_F(RecipientsTest, LongNamesAndNumbersComeBackAtTheNextStart) {
    loadAndShow();
    const QString name = QString(1100, 'n');
    const QString digits = QString(400, '7');
    const QString longest = QString(c().Text1->maxLength(), 'm');
    const QString longestNumber = '+' + QString(c().Text3->maxLength() - 1, '9');
    for (QToolButton* add : {c().Picture4, c().Picture3}) {
        single(name, digits);
        add->click();
        single(longest, longestNumber);
        add->click();
    }
    ASSERT_TRUE(boxes.shown().isEmpty());
    const QStringList added{name + "  +44" + digits, longest + "  " + longestNumber};
    const QStringList sorted{added[1], added[0]};
    ASSERT_EQ(items(c().List4), added);
    ASSERT_EQ(combo2(), sorted);

    restart();
    EXPECT_EQ(items(c().List4), added);
    EXPECT_EQ(combo2(), sorted);
}

TEST_F(RecipientsTest, FrequentNumbersAddSortedRefuseDuplicatesAndRewriteTheFile) {
    inst.writeBytes("Config\\SpeedNos.dat", "Zed  +441\r\nno plus\r\n");
    loadAndShow();
    EXPECT_EQ(c().Combo2->currentIndex(), -1);
    EXPECT_EQ(c().Combo2->currentText(), "");

    single("Jo", "0123");
    c().Picture3->click();
    EXPECT_EQ(combo2(), (QStringList{"Jo  +44123", "Zed  +441"}));
    EXPECT_EQ(c().Combo2->currentText(), "Jo  +44123");
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), QByteArray("Jo  +44123\r\nZed  +441\r\n"));
    EXPECT_EQ(c().Text1->text(), "");
    EXPECT_EQ(c().List4->count(), 0) << "the Number List is not touched";

    single("Jo", "+44123");
    emit c().lblAddFreqDialedNo->clicked();
    EXPECT_EQ(boxes.texts(), QStringList{"Name and Number already exists        "});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(c().Text1->text(), "Jo") << "a refusal keeps the fields";

    single("jo", "+44123");
    c().Picture3->click();
    EXPECT_EQ(combo2(), (QStringList{"Jo  +44123", "jo  +44123", "Zed  +441"}));
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"),
              QByteArray("Jo  +44123\r\njo  +44123\r\nZed  +441\r\n"));
}

TEST_F(RecipientsTest, FrequentNumberAddNeedsNameAndNumber) {
    loadAndShow();
    single("", "0123");
    c().Picture3->click();
    EXPECT_TRUE(bold(c().lblName));
    single("Jo", "");
    c().Picture3->click();
    EXPECT_TRUE(bold(c().lblMobile));
    EXPECT_EQ(boxes.texts(),
              (QStringList{"Please select a Name        ", "Please enter a Number        "}));
    EXPECT_EQ(c().Combo2->count(), 0);
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), QByteArray("<missing>"));
}

TEST_F(RecipientsTest, TakeAndDeleteFrequentNumbers) {
    inst.writeBytes("Config\\SpeedNos.dat", "Ann  +441\r\nBob  +442\r\n");
    loadAndShow();
    c().Picture18->click();
    EXPECT_EQ(boxes.texts(), QStringList{"Please select a Number        "});
    c().Picture6->click();
    EXPECT_EQ(boxes.last().text, "Please select freq. dialed number to be deleted      ");
    EXPECT_EQ(QApplication::focusWidget(), c().Combo2);
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), QByteArray("Ann  +441\r\nBob  +442\r\n"));

    boxes.clear();
    paintBase(c().List4, kOrange);
    c().Combo2->setCurrentIndex(1);
    c().Picture18->click();
    emit c().lblAddFreqDialedNos->clicked();
    EXPECT_EQ(items(c().List4), (QStringList{"Bob  +442", "Bob  +442"}));
    EXPECT_EQ(base(c().List4), toQColor(kWhite));

    emit c().Label3->clicked();
    EXPECT_EQ(combo2(), QStringList{"Ann  +441"});
    EXPECT_EQ(c().Combo2->currentIndex(), -1);
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), QByteArray("Ann  +441\r\n"));
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(RecipientsTest, DamagedFilesLoadWhatIsValid) {
    const QByteArray huge(1 << 20, '\xe9');
    inst.writeBytes("Config\\BudList.dat", huge + QByteArray("\r\nA  +1\r\n\x00\x01\r\nB  +2", 18));
    inst.writeBytes("Config\\SpeedNos.dat", "C  +3\r\n" + huge + "+4\r\n#  +5");
    inst.writeBytes("config\\QuickMsg.Dat", "Fine\r\n" + huge);
    inst.writeBytes("Config\\Sign.cfg", "NOPAGE" + huge);
    loadAndShow();
    EXPECT_EQ(items(c().List4), (QStringList{"A  +1", "B  +2"}));
    EXPECT_EQ(combo2(), (QStringList{"#  +5", "C  +3"}));
    ASSERT_EQ(c().Combo1->count(), 2);
    EXPECT_EQ(c().Combo1->itemText(1).size(), 1024) << "a damaged line is cut, not dropped";
    EXPECT_EQ(c().txtLenSignature->text(), "0") << "nothing of the line is a usable signature";
    EXPECT_TRUE(boxes.shown().isEmpty());
}
