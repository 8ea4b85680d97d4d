#include "client/recipients/ui/RecipientsPanel.h"
#include "client/recipients/NumberEntry.h"
#include "client/recipients/groups/GroupFiles.h"
#include "client/recipients/ui/ContactsController.h"
#include "client/recipients/ui/ContactsDialogs.h"
#include "client/recipients/ui/NumberLineDelegate.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/recipients/ui/frmGroupAddNumber.h"
#include "client/recipients/ui/frmGroupName.h"
#include "client/recipients/ui/frmGroups.h"
#include "client/recipients/ui/frmOutlook.h"
#include "client/settings/ClientSettings.h"
#include "common/Setting.h"
#include "support/BoxLines.h"
#include "support/WidgetTest.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"

#include <QDir>

namespace {

// The panel as the main window loads it; the rules themselves are tested on
// the logic classes, here only that the controls reach them.
class RecipientsPanelTest : public WidgetTest {
protected:
    RecipientsPanelTest() {
        inst.writeBytes("Config\\BudList.dat", "Old  +441\r\nno plus\r\n");
        inst.writeBytes("Config\\SpeedNos.dat", "Zed  +441\r\nbad\r\n");
        inst.writeBytes("Groups\\Group.dat", "Work\r\n \r\nfriends\r\nOutlookContact\r\n");
        inst.writeBytes("Groups\\friends.dat", "Al  +442\r\nno number\r\n");
        (new QVBoxLayout(&window))->addWidget(p);
        RecipientsController& r = p->controller();
        r.LoadFrequentNumbers();
        r.LoadNumberList();
        r.LoadGroups();
        r.LoadCountryCodes();
        activate(&window);
    }
    template <typename W> W* control(const char* name) const { return child<W>(*p, name); }
    // The Single Contact fields.
    void single(const QString& name, const QString& mobile,
                const QString& country = "United Kingdom  +44") {
        Text1->setText(name);
        Text3->setText(mobile);
        cmbCountryCode->setCurrentText(country);
    }
    // The Number List in one line, unchecked entries in brackets.
    QString list() const {
        QStringList out;
        for (int i = 0; i < List4->count(); ++i) {
            const QListWidgetItem* e = List4->item(i);
            out << (e->checkState() == Qt::Checked ? e->text() : '(' + e->text() + ')');
        }
        return out.join(", ");
    }
    QWidget window;
    RecipientsPanel* p = new RecipientsPanel(inst.installation(), &window);
    // The panel's controls.
    QListWidget* List4 = control<QListWidget>("List4");
    QLineEdit* Text1 = control<QLineEdit>("Text1");
    QLineEdit* Text3 = control<QLineEdit>("Text3");
    QComboBox* cmbCountryCode = control<QComboBox>("cmbCountryCode");
    QToolButton* Picture4 = control<QToolButton>("Picture4");
    QComboBox* Combo2 = control<QComboBox>("Combo2");
    QComboBox* Combo3 = control<QComboBox>("Combo3");
    ClickableLabel* Label7 = control<ClickableLabel>("Label7");
};

// The contacts window over the same panel, with an address book of one
// mobile number.
class ContactsWindowTest : public RecipientsPanelTest {
protected:
    ContactsWindowTest() {
        inst.writeBytes("book/jane.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jane Smith\r\n"
                                         "TEL;TYPE=CELL:+44 (0)7700 900123\r\nEND:VCARD\r\n");
        Setting::write(Setting::ContactsDir, inst.file("book"));
    }
    ContactsTreeWidget* tree() { return child<ContactsTreeWidget>(c->window(), "tContacts"); }
    QTreeWidgetItem* node(const QString& key) { return tree()->node(key); }
    // Answers the number-format warning, its box ticked or not.
    void answerWarning(bool dontShowAgain) {
        onModal<frmOWarning>([dontShowAgain](frmOWarning& w) {
            EXPECT_EQ(w.windowTitle() + ": " + w.findChild<QLabel*>()->text(),
                      "Quorvel Warning: All numbers must be stored in MS Outlook in the "
                      "international format eg.,+447700900461 and must incorporate the country "
                      "code.");
            child<QCheckBox>(w, "chkShow")->setChecked(dontShowAgain);
            child<QPushButton>(w, "cmdYes")->click();
        });
    }

    ClientSettings settings = ClientSettings::loadWithDefaults();
    ContactsController* c =
        new ContactsController(*p, settings, inst.installation(), &window, &window);
};

} // namespace

TEST_F(RecipientsPanelTest, TheButtonsLabelsAndDropsReachTheListAndItsFiles) {
    EXPECT_EQ(list() + '|' + items(Combo2).join(',') + '|' + items(Combo3).join(','),
              "Old  +441|Zed  +441| ,friends,OutlookContact,Work")
        << "valid lines; groups untested, sorted";
    EXPECT_EQ(Combo2->placeholderText() + '|' + Combo3->placeholderText(),
              "Please Select a Number|Please Select a Group");
    EXPECT_EQ(Combo2->currentText() + Combo3->currentText(), "") << "nothing chosen";
    EXPECT_EQ(cmbCountryCode->count(), 229);
    // Whatever the fields let a user type comes back at the next start.
    EXPECT_TRUE(NumberEntry::IsValidNumberEntry(NumberEntry::make(
        QString(Text1->maxLength(), 'n'), '+' + QString(Text3->maxLength() - 1, '9'))));

    // Single Contact: a pasted number filtered, an international one turning
    // the country box off; the entry checked, white, appended at once, the
    // fields and the box reset.
    p->colourNumberList(kOrange);
    EXPECT_EQ(base(List4), toQColor(kOrange));
    List4->item(0)->setCheckState(Qt::Unchecked);
    cmbCountryCode->setCurrentText("France  +33");
    Text1->setText("Jane Smith");
    Text3->insert("+44 1-23"); // as a paste inserts it
    EXPECT_EQ(Text3->text() + QString::number(cmbCountryCode->isEnabled()), "+441230");
    emit control<ClickableLabel>("lblAddSingleContact")->clicked();
    EXPECT_EQ(base(List4), toQColor(kWhite));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), "Old  +441\r\nno plus\r\nJane Smith  +44123\r\n");
    EXPECT_EQ(Text1->text() + Text3->text() + cmbCountryCode->currentText(), "United Kingdom  +44");
    EXPECT_TRUE(cmbCountryCode->isEnabled());

    // Frequently dialled: sorted in, selected, taken, deleted; the file follows.
    single("Jo", "0123");
    emit control<ClickableLabel>("lblAddFreqDialedNo")->clicked();
    EXPECT_EQ(Text1->text() + Combo2->currentText(), "Jo  +44123");
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), "Jo  +44123\r\nZed  +441\r\n");
    control<QToolButton>("Picture18")->click();
    emit control<ClickableLabel>("Label3")->clicked();
    EXPECT_EQ(items(Combo2).join(',') + QString::number(Combo2->currentIndex()), "Zed  +441-1");
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), "Zed  +441\r\n");

    // A group's valid lines, then dropped text as a drag brings it.
    Combo3->setCurrentIndex(1);
    emit control<ClickableLabel>("lblAddGrpNos")->clicked();
    drop(List4->viewport(), QString("node\r\nB") + QChar(0x2067) + "  +2");
    EXPECT_EQ(list(), "(Old  +441), Jane Smith  +44123, Jo  +44123, Al  +442, B  +2");
    toggleAccessibly(control<QRadioButton>("optUnselectAll"));
    EXPECT_EQ(p->checkedEntries().size(), 0);
    control<QRadioButton>("optSelectAll")->click();
    EXPECT_EQ(p->checkedEntries().size(), 5);
    EXPECT_TRUE(boxes.shown().isEmpty());

    // Remove one (only a highlighted current row counts), then all; the file
    // waits for shutdown.
    List4->setCurrentRow(0);
    List4->clearSelection();
    boxes.answerNext(MessageBox::Answer::Yes);
    control<QToolButton>("Picture7")->click();
    List4->setCurrentRow(1);
    boxes.answerNext(MessageBox::Answer::Yes);
    emit control<ClickableLabel>("Label4")->clicked();
    EXPECT_EQ(list(), "Old  +441, Jo  +44123, Al  +442, B  +2");
    boxes.answerNext(MessageBox::Answer::Yes);
    emit control<ClickableLabel>("Label5")->clicked();
    EXPECT_EQ(List4->count(), 0);
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), "Old  +441\r\nno plus\r\nJane Smith  +44123\r\n");

    // A file that refuses the line is reported as the save at shutdown
    // reports it; the entry stays listed for that save.
    boxes.clear();
    inst.remove("Config\\BudList.dat");
    ASSERT_TRUE(QDir().mkpath(inst.file("Config\\BudList.dat")));
    single("Al", "0124");
    Picture4->click();
    EXPECT_EQ(boxLines(boxes),
              QStringList{kWarn + "The Number List could not be saved in Config\\BudList.dat."});
    EXPECT_EQ(list(), "Al  +44124");
}

// Each refusal as the user meets it: the labels are read while the box is up
// (the missing field marked behind the message); the fields are kept.
TEST_F(RecipientsPanelTest, EachRefusalShowsItsExactTextWithTheFieldMarked) {
    QStringList seen;
    PeekingMessageBox peek([&](const MessageBox::Request& r) {
        seen << r.text + '|' + QString::number(control<QLabel>("lblName")->font().bold()) +
                    QString::number(control<QLabel>("lblMobile")->font().bold());
    });
    List4->clear();
    struct Step {
        QToolButton* button;
        QString name, mobile, country, seen;
    } steps[] = {
        {Picture4, "", "0123", "+44", "Please enter a Name        |10"},
        // The labels a refusal marked are plain again after Clear.
        {control<QToolButton>("Picture19"), "", "", "", "Please select a Group        |00"},
        {Picture4, "Jo", "", "+44", "Please enter a Number      |01"},
        {Picture4, "Jo", "0123", "", "Country code cannot be empty|00"},
        {control<QToolButton>("Picture3"), "Zed", "+441", "",
         "Name and Number already exists        |00"},
        // A name past the field's filter is checked again.
        {Picture4, "Anne-Marie", "0123", "+44", "The Name must only consist of letters|00"},
    };
    for (const Step& s : steps) {
        seen.clear();
        control<QToolButton>("Picture16")->click();
        Combo3->setCurrentIndex(-1);
        const QSignalBlocker unfiltered(Text1);
        single(s.name, s.mobile, s.country);
        s.button->click();
        EXPECT_EQ(seen, QStringList{s.seen});
        EXPECT_EQ(Text1->text() + Text3->text(), s.name + s.mobile) << "fields kept";
    }
    EXPECT_EQ(boxLines(boxes).filter(kWarn).size(), qsizetype(std::size(steps))) << "warnings";
    EXPECT_EQ(List4->count() + Combo2->count(), 1);
    emit control<ClickableLabel>("lblClear")->clicked();

    // Typed keys: other characters and Enter are refused and discarded, keys
    // that type nothing pass; "+" only at the start, also over a selection.
    boxes.clear();
    QTest::keyClicks(Text3, "07a7+1");
    for (Qt::Key k : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete})
        QTest::keyClick(Text3, k);
    Text3->setSelection(0, 1);
    QTest::keyClicks(Text3, "+");
    EXPECT_EQ(Text3->text(), "+7");
    EXPECT_FALSE(cmbCountryCode->isEnabled());
    EXPECT_EQ(boxLines(boxes),
              QStringList(3, kWarn + "Mobile number must only contain digits        "));
    // The name field drops what is not a letter, one message each time, and
    // goes on at the end.
    boxes.clear();
    QTest::keyClicks(Text1, "Jo-");
    Text1->insert("5" + QString(100000, 'x')); // pasted
    EXPECT_EQ(Text1->text(), "Jo");
    EXPECT_EQ(boxLines(boxes), QStringList(2, kWarn + "Name must only contain letters     "));
}

// The Group Manager on the Number List and its two dialogs: a group made,
// numbers added, and Select hands the members over and shows the group.
TEST_F(RecipientsPanelTest, TheGroupManagerAndItsDialogsReachTheGroupsAndTheNumberList) {
    inst.writeBytes("Config\\ISDCodes.dat", "United Kingdom  +44\r\nFrance  +33\r\n");
    onModal<frmGroups>([&](frmGroups& d) {
        onModal<frmGroupName>([&](frmGroupName& n) {
            auto* name = child<QLineEdit>(n, "Text1");
            name->setText("a/b"); // pasted: judged when used
            QTest::keyClick(name, Qt::Key_Return);
            name->clear();
            typeText(name, "T e/a.m");
            QTest::keyClick(name, Qt::Key_Return);
            if (n.isVisible()) // refused: end it, the checks below fail
                n.reject();
        });
        child<QToolButton>(d, "Picture1")->click();
        onModal<frmGroupAddNumber>([&](frmGroupAddNumber& a) {
            const auto* country = child<QComboBox>(a, "cmbCountryCode");
            EXPECT_EQ(country->itemText(0) + '|' + country->currentText(),
                      "France  +33|United Kingdom  +44");
            auto* ok = child<QPushButton>(a, "Command1");
            ok->click();
            EXPECT_TRUE(child<QLabel>(a, "lblName")->font().bold() && a.isVisible())
                << "refused, it stays";
            child<QLineEdit>(a, "Text1")->setText("Al");
            typeText(child<QLineEdit>(a, "Text3"), "07x7");
            ok->click();
            if (a.isVisible()) // refused: end it, the checks below fail
                a.reject();
        });
        child<QPushButton>(d, "Command5")->click();
        auto* candidates = child<QListWidget>(d, "List4");
        EXPECT_EQ(items(candidates), (QStringList{"Old  +441", "Al  +4477"}));
        candidates->setCurrentRow(1);
        child<QPushButton>(d, "Command6")->click();
        boxes.answerNext(MessageBox::Answer::Yes);
        child<QPushButton>(d, "Command1")->click();
        if (d.isVisible())
            d.reject();
    });
    emit control<ClickableLabel>("Label2")->clicked();
    EXPECT_EQ(
        boxLines(boxes),
        QStringList(4, "Quorvel Warning|stop|" + GroupFiles::kNotAllowed) +
            (QStringList{kWarn + "Please enter a Name        ",
                         kWarn + "Number must only contain digits        ",
                         "Quorvel Warning|ask|Members of the Group have changed. Save Members "
                         "?.    |Yes/No*",
                         kWarn + "Selected Members added.        "}));
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"),
              "Work\r\n \r\nfriends\r\nOutlookContact\r\nTeam\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Team.dat"), "Al  +4477\r\n");
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), "Old  +441\r\nno plus\r\n") << "not written";
    EXPECT_EQ(items(List4), (QStringList{"Old  +441", "Al  +4477"}));
    EXPECT_EQ(Combo3->currentText(), "Team");
}

TEST_F(ContactsWindowTest, TheAddressBookFillsTheTreeAndTheFileAndAddSelectedTakesTheBranch) {
    settings.OutlookEnabled = true;
    settings.OutlookWarningOff = true;
    // A file too large to read is said, not skipped in silence (sparse: no disk).
    inst.writeBytes("book/huge.vcf", "");
    ASSERT_TRUE(QFile::resize(inst.file("book/huge.vcf"), ContactsStore::kMaxFileBytes + 1));
    c->LoadContactsSource();
    EXPECT_EQ(boxLines(boxes), QStringList{"Quorvel Warning|info|These contacts files were not "
                                           "read:\nhuge.vcf: larger than 256 MiB, not read."});
    boxes.clear();
    EXPECT_EQ(Label7->text() + '|' + Label7->toolTip(),
              "Outlook|Microsoft Outlook and Quorvel Contacts");
    ASSERT_TRUE(c->loaded()) << "loaded at start with the address book";
    EXPECT_EQ(c->OutlookItemCount, 1);
    EXPECT_EQ(inst.bytes("Groups\\OutlookContact.dat"), "Jane Smith +447700900123\r\n");
    EXPECT_EQ(c->window().windowTitle(), "Quorvel - Contacts");

    c->OpenContactsWindow();
    List4->clear();
    node("Contacts")->setCheckState(0, Qt::Checked);
    child<QPushButton>(c->window(), "cmdAddSelected")->click();
    EXPECT_EQ(list(), "Jane Smith +447700900123") << "checked";
    EXPECT_FALSE(c->window().isVisible() || c->ContactsWindowOpen);
    node("RootContact")->setCheckState(0, Qt::Checked);
    child<QPushButton>(c->window(), "cmdClearAll")->click();
    EXPECT_EQ(node("EContact//3//1")->checkState(0), Qt::Unchecked);
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(ContactsWindowTest, WithoutTheOptionOnlyOwnContactsAndTheWindowDocks) {
    inst.writeBytes("Groups\\OutlookContact.dat", "kept\r\n");
    c->LoadContactsSource();
    EXPECT_TRUE(control<QToolButton>("picContact")->isVisibleTo(&window));
    EXPECT_EQ(Label7->text() + '|' + Label7->toolTip(), "Contact|Quorvel contacts");
    EXPECT_FALSE(c->loaded());

    answerWarning(false);
    emit Label7->clicked();
    ASSERT_TRUE(c->window().isVisible());
    EXPECT_EQ(Setting::read(Setting::ShowOutlook), "0");
    EXPECT_EQ(node("Contacts")->childCount(), 0);
    EXPECT_EQ(inst.bytes("Groups\\OutlookContact.dat"), "kept\r\n");
    EXPECT_EQ(ContactsTreeWidget::dragText(node("EContact//3")), "node");
    EXPECT_EQ(ContactsTreeWidget::dragText(node("EContact//3//1")), "Al  +442");
    // The whole line in a tip; the number shown left to right there and in the lists.
    EXPECT_EQ(node("EContact//3//1")->toolTip(0), NumberEntry::displayText("Al  +442"));
    EXPECT_TRUE(qobject_cast<NumberLineDelegate*>(tree()->itemDelegate()) &&
                qobject_cast<NumberLineDelegate*>(List4->itemDelegate()));

    auto* dock = child<QPushButton>(c->window(), "Check1");
    toggleAccessibly(dock);
    EXPECT_EQ(dock->text(), "Remove Panel");
    List4->clear();
    child<QPushButton>(c->window(), "cmdAddAll")->click();
    EXPECT_EQ(items(List4), (QStringList{"Zed  +441", "bad", "Al  +442", "no number", "kept"}));
    EXPECT_TRUE(c->window().isVisible()) << "docked, it stays";
    child<QPushButton>(c->window(), "Command1")->click();
    EXPECT_EQ(dock->text(), "Add Panel");
    EXPECT_FALSE(dock->isChecked());
    EXPECT_FALSE(c->window().isVisible());

    // The reserved group: its file holds no valid line.
    answerWarning(true);
    Combo3->setCurrentText("OutlookContact");
    emit Combo3->textActivated("OutlookContact");
    EXPECT_EQ(boxLines(boxes), QStringList{"Quorvel Warning|info|Outlook Contacts are empty"});
    EXPECT_EQ(Setting::read(Setting::ShowOutlook), "1");
    EXPECT_TRUE(settings.OutlookWarningOff);
    c->OpenContactsWindow(); // no warning any more: a modal one would fail the test
    EXPECT_TRUE(c->window().isVisible());
}

// The program closes while the contacts window's first load reads the book
// (the wait window is up): the cached contacts stay, and nothing touches the
// deleted window.
TEST_F(ContactsWindowTest, ClosingDuringTheFirstReadKeepsTheCacheAndTheDeletedWindowAlone) {
    settings.OutlookEnabled = true;
    settings.OutlookWarningOff = true;
    inst.writeBytes("Groups\\OutlookContact.dat", "Kept Contact +447700900999\r\n");
    struct CloseOnWait : QObject {
        ContactsController* c;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Show && o->objectName() == "frmMessage")
                c->Unload();
            return false;
        }
    } closer;
    closer.c = c;
    qApp->installEventFilter(&closer);
    c->OpenContactsWindow();
    qApp->removeEventFilter(&closer);
    EXPECT_FALSE(c->loaded() || c->ContactsWindowOpen);
    EXPECT_EQ(inst.bytes("Groups\\OutlookContact.dat"), "Kept Contact +447700900999\r\n");
}
