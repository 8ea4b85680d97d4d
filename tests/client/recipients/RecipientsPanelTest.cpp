#include "client/recipients/ui/RecipientsPanel.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/recipients/ui/frmGroups.h"
#include "support/WidgetTest.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kDigitsOnly = "Mobile number must only contain digits        ";

class RecipientsPanelTest : public WidgetTest {
protected:
    // The panel as the main window loads it.
    void load() {
        delete window;
        window = new QWidget;
        p = new RecipientsPanel([this] { return inst.appPath(); }, window);
        (new QVBoxLayout(window))->addWidget(p);
        RecipientsController& r = p->controller();
        r.LoadFrequentNumbers();
        r.LoadNumberList();
        r.LoadGroups();
        r.LoadCountryCodes();
        activate(window);
        boxes.clear();
    }
    ~RecipientsPanelTest() override { delete window; }
    void single(const QString& name, const QString& mobile,
                const QString& country = "United Kingdom  +44") {
        p->Text1->setText(name);
        p->Text3->setText(mobile);
        p->cmbCountryCode->setCurrentText(country);
    }
    void pasteMobile(const QString& text) {
        p->Text3->setFocus();
        QGuiApplication::clipboard()->setText(text);
        p->Text3->paste();
    }
    QStringList frequent() const {
        QStringList out;
        for (int i = 0; i < p->Combo2->count(); ++i)
            out << p->Combo2->itemText(i);
        return out;
    }
    QString lastEntry() const { return p->List4->item(p->List4->count() - 1)->text(); }
    QList<bool> checks() const {
        QList<bool> out;
        for (int i = 0; i < p->List4->count(); ++i)
            out << (p->List4->item(i)->checkState() == Qt::Checked);
        return out;
    }
    void drop(const QString& text) {
        QMimeData mime;
        mime.setText(text);
        // As a drag does it: the drop goes where the entering drag was accepted.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p->List4->viewport(), &enter);
        QDropEvent e(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p->List4->viewport(), &e);
    }
    static bool bold(const QLabel* l) { return l->font().bold(); }

    QWidget* window = nullptr;
    RecipientsPanel* p = nullptr;
};

} // namespace

TEST_F(RecipientsPanelTest, LoadFillsTheListsAndSendReadsTheCheckedEntries) {
    inst.writeBytes("Config\\BudList.dat", "Jane  +44123\r\nno plus\r\n\x01\xff+\r\nAl  +4477");
    inst.writeBytes("Config\\SpeedNos.dat", "Zed  +441\r\nbad\r\nAnn  +442\r\n");
    inst.writeBytes("Groups\\Group.dat", " \r\nFriends\r\n");
    load();
    EXPECT_EQ(items(p->List4), (QStringList{"Jane  +44123", "Al  +4477"}));
    EXPECT_EQ(checks(), (QList<bool>{true, true}));
    EXPECT_EQ(frequent(), (QStringList{"Ann  +442", "Zed  +441"}));
    EXPECT_EQ(p->Combo2->currentIndex(), -1);
    EXPECT_EQ(p->Combo2->placeholderText(), "Please Select a Number");
    EXPECT_EQ(p->Combo3->count(), 2) << "group names are taken untested";
    EXPECT_EQ(p->Combo3->itemText(0), " ");
    EXPECT_EQ(p->cmbCountryCode->count(), 229);
    EXPECT_EQ(p->cmbCountryCode->currentText(), "United Kingdom  +44");
    EXPECT_EQ(p->picContact->toolTip(), "Quorvel contacts");

    p->List4->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(p->numberListCount(), 2);
    EXPECT_EQ(p->checkedEntries(), QStringList{"Al  +4477"});
    p->colourNumberList(kOrange);
    EXPECT_EQ(base(p->List4), toQColor(kOrange));

    // The whole list is saved, checked or not; a missing country file leaves the box empty.
    ASSERT_TRUE(p->controller().SaveNumberList());
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("Jane  +44123\r\nAl  +4477\r\n"));
    inst.remove("Config\\ISDCodes.dat");
    load();
    EXPECT_EQ(p->cmbCountryCode->count(), 0);
    EXPECT_EQ(p->cmbCountryCode->currentText(), "United Kingdom  +44");
}

TEST_F(RecipientsPanelTest, AddSingleContactAddsCheckedAppendsAtOnceAndClears) {
    inst.writeBytes("Config\\BudList.dat", "Old  +441\r\n");
    load();
    paintBase(p->List4, kOrange);
    p->List4->item(0)->setCheckState(Qt::Unchecked);
    single("Jane Smith", "0123");
    p->Picture4->click();
    EXPECT_EQ(items(p->List4), (QStringList{"Old  +441", "Jane Smith  +44123"}));
    EXPECT_EQ(checks(), (QList<bool>{false, true}));
    EXPECT_EQ(base(p->List4), toQColor(kWhite));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("Old  +441\r\nJane Smith  +44123\r\n"));
    EXPECT_EQ(p->Text1->text() + p->Text3->text(), "");
    EXPECT_EQ(QApplication::focusWidget(), p->Text1);
    // The same again gives a second, identical entry; the label works like the button.
    single("Jane Smith", "0123");
    emit p->lblAddSingleContact->clicked();
    EXPECT_EQ(lastEntry(), "Jane Smith  +44123");
    EXPECT_TRUE(boxes.shown().isEmpty());

    // A file that refuses the line is reported as the save at shutdown reports
    // it; the entry stays listed for that save.
    inst.remove("Config\\BudList.dat");
    ASSERT_TRUE(QDir().mkpath(inst.file("Config\\BudList.dat")));
    single("Al", "0124");
    p->Picture4->click();
    EXPECT_EQ(boxes.texts(),
              QStringList{"The Number List could not be saved in Config\\BudList.dat."});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    EXPECT_EQ(lastEntry(), "Al  +44124");
}

// The labels are read while each box is up: the user sees the missing field
// marked behind the message, then the field to mend gets the focus.
TEST_F(RecipientsPanelTest, ARefusalMarksItsFieldBeforeTheMessageAndFocusesItAfter) {
    load();
    QStringList seen;
    PeekingMessageBox peek([&](const MessageBox::Request& r) {
        seen << r.text + '|' + QString::number(bold(p->lblName)) +
                    QString::number(bold(p->lblMobile)) +
                    QString::number(p->Text1->hasSelectedText());
    });
    struct Step {
        QToolButton* button;
        const char *name, *mobile, *country, *text, *marks;
        QWidget* focus;
    } steps[] = {
        {p->Picture4, "", "0123", "+44", "Please enter a Name        ", "100", p->Text1},
        {p->Picture4, "Jo", "", "+44", "Please enter a Number      ", "010", p->Text3},
        // Both fields filled: both labels are normal again before the country box speaks.
        {p->Picture4, "Jo", "0123", "", "Country code cannot be empty", "000", p->cmbCountryCode},
        {p->Picture3, "", "0123", "+44", "Please select a Name        ", "100", p->Text1},
    };
    for (const Step& s : steps) {
        seen.clear();
        single(s.name, s.mobile, s.country);
        s.button->click();
        EXPECT_EQ(seen, QStringList{QString(s.text) + '|' + s.marks});
        EXPECT_EQ(QApplication::focusWidget(), s.focus) << s.text;
    }
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    EXPECT_EQ(p->List4->count() + p->Combo2->count(), 0);
    p->Picture16->click();
    EXPECT_FALSE(bold(p->lblName) || bold(p->lblMobile));

    // A name past the field's filter is checked again: the message first,
    // then the name selected.
    seen.clear();
    p->Text1->blockSignals(true);
    single("Anne-Marie", "0123");
    p->Text1->blockSignals(false);
    p->Picture4->click();
    EXPECT_EQ(seen, QStringList{"The Name must only consist of letters|000"});
    EXPECT_EQ(p->Text1->selectedText(), "Anne-Marie");
    EXPECT_EQ(QApplication::focusWidget(), p->Text1);
}

TEST_F(RecipientsPanelTest, TheMobileFieldTakesDigitsAndALeadingPlusWhichTurnsTheCountryBoxOff) {
    load();
    pasteMobile("+44 123");
    EXPECT_EQ(p->Text3->text(), "+44123");
    EXPECT_FALSE(p->cmbCountryCode->isEnabled());
    p->Text1->setText("Jo");
    p->cmbCountryCode->setCurrentText("France  +33");
    p->Picture4->click();
    EXPECT_EQ(lastEntry(), "Jo  +44123") << "the country box is ignored";
    EXPECT_TRUE(p->cmbCountryCode->isEnabled());
    pasteMobile("(0)77-123");
    EXPECT_EQ(p->Text3->text(), "077123");
    EXPECT_TRUE(p->cmbCountryCode->isEnabled());
    p->Text1->setText("Fr");
    p->cmbCountryCode->setCurrentText("France  +33");
    p->Picture4->click();
    EXPECT_EQ(lastEntry(), "Fr  +3377123");
    EXPECT_TRUE(boxes.shown().isEmpty());

    // Typed keys: other characters, Enter and Esc are refused; "+" only at the start.
    p->Text3->setFocus();
    int returns = 0;
    QObject::connect(p->Text3, &QLineEdit::returnPressed, [&] { ++returns; });
    QTest::keyClicks(p->Text3, "07a7-");
    for (Qt::Key k : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(p->Text3, k);
    QTest::keyClicks(p->Text3, "+");
    EXPECT_EQ(p->Text3->text(), "077");
    EXPECT_EQ(boxes.texts(), QStringList(6, kDigitsOnly));
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    EXPECT_EQ(returns, 0) << "the refused key is discarded";
    QTest::keyClick(p->Text3, Qt::Key_Home);
    QTest::keyClicks(p->Text3, "+");
    EXPECT_EQ(p->Text3->text(), "+077");
    EXPECT_FALSE(p->cmbCountryCode->isEnabled());
    // Typed over a selection, the key lands where the selection starts.
    boxes.clear();
    p->Text3->setText("0771");
    p->Text3->setSelection(1, 2);
    QTest::keyClicks(p->Text3, "+");
    EXPECT_EQ(p->Text3->text(), "0771");
    p->Text3->selectAll();
    QTest::keyClicks(p->Text3, "+");
    EXPECT_EQ(p->Text3->text(), "+");
    EXPECT_EQ(boxes.texts(), QStringList{kDigitsOnly});
}

TEST_F(RecipientsPanelTest, EditingKeysAndShortcutsWorkSilentlyInTheMobileField) {
    load();
    p->Text3->setFocus();
    QTest::keyClicks(p->Text3, "0771");
    QTest::keyClick(p->Text3, Qt::Key_Left);
    QTest::keyClick(p->Text3, Qt::Key_Delete);
    QTest::keyClick(p->Text3, Qt::Key_Home);
    QTest::keyClick(p->Text3, Qt::Key_Right);
    QTest::keyClick(p->Text3, Qt::Key_Backspace);
    EXPECT_EQ(p->Text3->text(), "77");
    QTest::keyClick(p->Text3, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(p->Text3, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(p->Text3, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(p->Text3->text(), "");
    QTest::keyClick(p->Text3, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(p->Text3, Qt::Key_End);
    QTest::keyClick(p->Text3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(p->Text3->text(), "7777");
    QTest::keyClick(p->Text3, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), p->Text3) << "Tab still moves on";
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(RecipientsPanelTest, TheNameFieldDropsWhatIsNotALetterWithOneMessage) {
    load();
    p->Text1->setFocus();
    QTest::keyClicks(p->Text1, "Anne-Marie");
    EXPECT_EQ(p->Text1->text(), "AnneMarie");
    EXPECT_EQ(boxes.texts(), QStringList{"Name must only contain letters     "});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    p->Text1->clear();
    QGuiApplication::clipboard()->setText("Jo5" + QString(100000, 'x'));
    p->Text1->paste();
    EXPECT_EQ(p->Text1->text(), "Jo");
    EXPECT_EQ(p->Text1->cursorPosition(), 2);
    EXPECT_EQ(boxes.shown().size(), 2);
}

TEST_F(RecipientsPanelTest, RemoveOneOrAllAsksAndTheFileWaitsForShutdown) {
    load();
    p->Picture7->click();
    p->Picture8->click();
    for (const char* e : {"A  +1", "B  +2", "C  +3"})
        p->controller().AddEntry(e, true);
    p->List4->setCurrentRow(0);
    p->List4->clearSelection();
    boxes.answerNext(MessageBox::Answer::Yes);
    p->Picture7->click(); // current but not highlighted: nothing removed
    p->List4->setCurrentRow(1);
    boxes.answerNext(MessageBox::Answer::No);
    emit p->Label4->clicked();
    boxes.answerNext(MessageBox::Answer::Yes);
    p->Picture7->click();
    EXPECT_EQ(items(p->List4), (QStringList{"A  +1", "C  +3"}));
    boxes.answerNext(MessageBox::Answer::No);
    emit p->Label5->clicked();
    EXPECT_EQ(p->List4->count(), 2);
    boxes.answerNext(MessageBox::Answer::Yes);
    p->Picture8->click();
    EXPECT_EQ(p->List4->count(), 0);
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("<missing>"));
    const std::tuple<QString, QString, MessageBox::Icon, MessageBox::Buttons> shown[] = {
        {"Please select the Freq. Dialed Number to be Deleted        ", "Quorvel Warning",
         MessageBox::Icon::Warning, MessageBox::Buttons::Ok},
        {"Number List is empty     ", "Quorvel", MessageBox::Icon::Warning,
         MessageBox::Buttons::Ok},
        {"Are you sure you want to delete the selected Contact Number?", "Quorvel",
         MessageBox::Icon::None, MessageBox::Buttons::YesNo},
        {"Are you sure you want to delete the selected Contact Number?", "Quorvel",
         MessageBox::Icon::None, MessageBox::Buttons::YesNo},
        {"Are you sure you want to delete the selected Contact Number?", "Quorvel",
         MessageBox::Icon::None, MessageBox::Buttons::YesNo},
        {"Are you sure you want to delete all the Contact Numbers?", "Quorvel ",
         MessageBox::Icon::None, MessageBox::Buttons::YesNo},
        {"Are you sure you want to delete all the Contact Numbers?", "Quorvel ",
         MessageBox::Icon::None, MessageBox::Buttons::YesNo},
        {"Number List cleared     ", "Quorvel", MessageBox::Icon::Warning, MessageBox::Buttons::Ok},
    };
    ASSERT_EQ(boxes.shown().size(), std::size(shown));
    for (size_t i = 0; i < std::size(shown); ++i) {
        const auto& [text, title, icon, buttons] = shown[i];
        EXPECT_EQ(boxes.shown()[i].text, text);
        EXPECT_EQ(boxes.shown()[i].title, title) << i;
        EXPECT_EQ(boxes.shown()[i].icon, icon) << i;
        EXPECT_EQ(boxes.shown()[i].buttons, buttons) << i;
        if (buttons == MessageBox::Buttons::YesNo) {
            EXPECT_EQ(boxes.shown()[i].defaultButton, MessageBox::Answer::No) << i;
        }
    }
}

TEST_F(RecipientsPanelTest, CheckAllUncheckAllAndDroppedLines) {
    load();
    drop("node");
    drop("node\r\n");
    drop("node\nnode");
    EXPECT_EQ(p->List4->count(), 0) << "each line that is a group node is ignored";
    drop("Jane Smith  +44123");
    drop("A  +1\r\nnode\rB  +2\n\n");
    EXPECT_EQ(items(p->List4), (QStringList{"Jane Smith  +44123", "A  +1", "B  +2"}));
    EXPECT_EQ(checks(), (QList<bool>{true, true, true}));
    p->List4->item(1)->setCheckState(Qt::Unchecked);
    p->optUnselectAll->click();
    EXPECT_EQ(checks(), (QList<bool>{false, false, false}));
    p->optSelectAll->click();
    EXPECT_EQ(checks(), (QList<bool>{true, true, true}));
    p->List4->item(0)->setCheckState(Qt::Unchecked);
    p->optSelectAll->click();
    EXPECT_TRUE(checks()[0]) << "choosing the same option again works again";
}

TEST_F(RecipientsPanelTest, FrequentNumbersAddSortedTakeAndDeleteRewritingTheFile) {
    inst.writeBytes("Config\\SpeedNos.dat", "Zed  +441\r\nno plus\r\n");
    load();
    single("Jo", "0123");
    p->Picture3->click();
    EXPECT_EQ(frequent(), (QStringList{"Jo  +44123", "Zed  +441"}));
    EXPECT_EQ(p->Combo2->currentText(), "Jo  +44123");
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), QByteArray("Jo  +44123\r\nZed  +441\r\n"));
    EXPECT_EQ(p->Text1->text(), "");
    EXPECT_EQ(p->List4->count(), 0) << "the Number List is not touched";
    single("Jo", "+44123");
    emit p->lblAddFreqDialedNo->clicked();
    EXPECT_EQ(boxes.texts(), QStringList{"Name and Number already exists        "});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(p->Text1->text(), "Jo") << "a refusal keeps the fields";
    single("jo", "+44123");
    p->Picture3->click();
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"),
              QByteArray("Jo  +44123\r\njo  +44123\r\nZed  +441\r\n"));

    boxes.clear();
    p->Combo2->setCurrentIndex(-1);
    p->Picture18->click();
    p->Picture6->click();
    EXPECT_EQ(boxes.texts(),
              (QStringList{"Please select a Number        ",
                           "Please select freq. dialed number to be deleted      "}));
    EXPECT_EQ(QApplication::focusWidget(), p->Combo2);
    boxes.clear();
    paintBase(p->List4, kOrange);
    p->Combo2->setCurrentIndex(2);
    p->Picture18->click();
    emit p->lblAddFreqDialedNos->clicked();
    EXPECT_EQ(items(p->List4), (QStringList{"Zed  +441", "Zed  +441"}));
    EXPECT_EQ(checks(), (QList<bool>{true, true}));
    EXPECT_EQ(base(p->List4), toQColor(kWhite));
    emit p->Label3->clicked();
    EXPECT_EQ(frequent(), (QStringList{"Jo  +44123", "jo  +44123"}));
    EXPECT_EQ(p->Combo2->currentIndex(), -1);
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), QByteArray("Jo  +44123\r\njo  +44123\r\n"));
    EXPECT_TRUE(boxes.shown().isEmpty());
}

// Whatever the fields let a user add, the next start loads back, however long.
TEST_F(RecipientsPanelTest, LongListsNamesAndNumbersComeBackAtTheNextStart) {
    QByteArray file;
    for (int i = 0; i < 10000; ++i)
        file += "Contact " + QByteArray::number(i) + "  +44770090" + QByteArray::number(i) + "\r\n";
    inst.writeBytes("Config\\BudList.dat", file);
    load();
    ASSERT_EQ(p->List4->count(), 10000);
    p->List4->clear();
    const QString name = QString(1100, 'n'), digits = QString(400, '7');
    const QString longest = QString(p->Text1->maxLength(), 'm');
    const QString longestNumber = '+' + QString(p->Text3->maxLength() - 1, '9');
    for (QToolButton* add : {p->Picture4, p->Picture3}) {
        single(name, digits);
        add->click();
        single(longest, longestNumber);
        add->click();
    }
    ASSERT_TRUE(boxes.shown().isEmpty());
    const QStringList added{name + "  +44" + digits, longest + "  " + longestNumber};
    ASSERT_TRUE(p->controller().SaveNumberList());
    load();
    EXPECT_EQ(items(p->List4), added);
    EXPECT_EQ(frequent(), (QStringList{added[1], added[0]}));
}

TEST_F(RecipientsPanelTest, ContactGroupsAddAGroupAndTheGroupManagerSelectsIntoTheNumberList) {
    inst.writeBytes("Groups\\Group.dat", "Work\r\n \r\nfriends\r\n");
    inst.writeBytes("Groups\\friends.dat", "Al  +441\r\nno number\r\n");
    inst.writeBytes("Config\\BudList.dat", "Jo  +442\r\n");
    load();
    EXPECT_EQ(p->Combo3->placeholderText(), "Please Select a Group");
    EXPECT_EQ(p->Combo3->itemText(1), "friends") << "sorted without regard to case";
    for (int i : {-1, 0, 1}) {
        p->Combo3->setCurrentIndex(i);
        p->Picture19->click();
    }
    EXPECT_EQ(boxes.texts(), QStringList(2, "Please select a Group        "));
    EXPECT_EQ(items(p->List4), (QStringList{"Jo  +442", "Al  +441"}));

    // The manager opens on the Number List; Work gets Jo, saved on the
    // question, and Select hands the members over.
    boxes.clear();
    boxes.answerNext(MessageBox::Answer::Yes);
    onModal<frmGroups>([&](frmGroups& d) {
        EXPECT_EQ(items(d.List4), (QStringList{"Jo  +442", "Al  +441"}));
        d.Combo3->setCurrentIndex(0);
        emit d.Combo3->activated(0);
        d.List4->setCurrentRow(0);
        d.Command6->click();
        const QString shots = qEnvironmentVariable("QUORVEL_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            EXPECT_TRUE(d.grab().save(shots + "/group-manager.png"));
        }
        d.Command1->click();
    });
    p->Picture2->click();
    EXPECT_EQ(boxes.texts().value(1), "Selected Members added.        ");
    EXPECT_EQ(inst.bytes("Groups\\Work.dat"), "Jo  +442\r\n");
    EXPECT_EQ(items(p->List4), (QStringList{"Jo  +442", "Al  +441", "Jo  +442"}));
    EXPECT_EQ(p->Combo3->currentText(), "Work");
}
