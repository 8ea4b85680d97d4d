#include "client/recipients/ui/RecipientsPanel.h"
#include "BoxLines.h"
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
    // The Single Contact fields.
    void single(const QString& name, const QString& mobile,
                const QString& country = "United Kingdom  +44") {
        p->Text1->setText(name);
        p->Text3->setText(mobile);
        p->cmbCountryCode->setCurrentText(country);
    }
    // The Number List in one line, unchecked entries in brackets.
    QString list() const {
        QStringList out;
        for (int i = 0; i < p->List4->count(); ++i) {
            const QListWidgetItem* e = p->List4->item(i);
            out << (e->checkState() == Qt::Checked ? e->text() : '(' + e->text() + ')');
        }
        return out.join(", ");
    }
    QWidget window;
    RecipientsPanel* p = new RecipientsPanel(inst.installation(), &window);
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
    QTreeWidgetItem* node(const QString& key) { return c->window().tContacts->node(key); }
    // Answers the number-format warning, its box ticked or not.
    void answerWarning(bool dontShowAgain) {
        onModal<frmOWarning>([dontShowAgain](frmOWarning& w) {
            EXPECT_EQ(w.windowTitle() + ": " + w.lblText->text(),
                      "Quorvel Warning: All numbers must be stored in MS Outlook in the "
                      "international format eg.,+447700900461 and must incorporate the country "
                      "code.");
            w.chkShow->setChecked(dontShowAgain);
            w.cmdYes->click();
        });
    }

    ClientSettings settings = ClientSettings::loadWithDefaults();
    ContactsController* c =
        new ContactsController(*p, settings, inst.installation(), &window, &window);
};

} // namespace

TEST_F(RecipientsPanelTest, TheButtonsLabelsAndDropsReachTheListAndItsFiles) {
    EXPECT_EQ(list() + '|' + items(p->Combo2).join(',') + '|' + items(p->Combo3).join(','),
              "Old  +441|Zed  +441| ,friends,OutlookContact,Work")
        << "valid lines; groups untested, sorted";
    EXPECT_EQ(p->Combo2->placeholderText() + '|' + p->Combo3->placeholderText(),
              "Please Select a Number|Please Select a Group");
    EXPECT_EQ(p->Combo2->currentText() + p->Combo3->currentText(), "") << "nothing chosen";
    EXPECT_EQ(p->cmbCountryCode->count(), 229);
    // Whatever the fields let a user type comes back at the next start.
    EXPECT_TRUE(NumberEntry::IsValidNumberEntry(NumberEntry::make(
        QString(p->Text1->maxLength(), 'n'), '+' + QString(p->Text3->maxLength() - 1, '9'))));

    // Single Contact: a pasted number filtered, an international one turning
    // the country box off; the entry checked, white, appended at once, the
    // fields and the box reset.
    p->colourNumberList(kOrange);
    EXPECT_EQ(base(p->List4), toQColor(kOrange));
    p->List4->item(0)->setCheckState(Qt::Unchecked);
    p->cmbCountryCode->setCurrentText("France  +33");
    p->Text1->setText("Jane Smith");
    p->Text3->insert("+44 1-23"); // as a paste inserts it
    EXPECT_EQ(p->Text3->text() + QString::number(p->cmbCountryCode->isEnabled()), "+441230");
    emit p->lblAddSingleContact->clicked();
    EXPECT_EQ(base(p->List4), toQColor(kWhite));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), "Old  +441\r\nno plus\r\nJane Smith  +44123\r\n");
    EXPECT_EQ(p->Text1->text() + p->Text3->text() + p->cmbCountryCode->currentText(),
              "United Kingdom  +44");
    EXPECT_TRUE(p->cmbCountryCode->isEnabled());

    // Frequently dialled: sorted in, selected, taken, deleted; the file follows.
    single("Jo", "0123");
    emit p->lblAddFreqDialedNo->clicked();
    EXPECT_EQ(p->Text1->text() + p->Combo2->currentText(), "Jo  +44123");
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), "Jo  +44123\r\nZed  +441\r\n");
    p->Picture18->click();
    emit p->Label3->clicked();
    EXPECT_EQ(items(p->Combo2).join(',') + QString::number(p->Combo2->currentIndex()),
              "Zed  +441-1");
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), "Zed  +441\r\n");

    // A group's valid lines, then dropped text as a drag brings it.
    p->Combo3->setCurrentIndex(1);
    emit p->lblAddGrpNos->clicked();
    drop(p->List4->viewport(), QString("node\r\nB") + QChar(0x2067) + "  +2");
    EXPECT_EQ(list(), "(Old  +441), Jane Smith  +44123, Jo  +44123, Al  +442, B  +2");
    toggleAccessibly(p->optUnselectAll);
    EXPECT_EQ(p->checkedEntries().size(), 0);
    p->optSelectAll->click();
    EXPECT_EQ(p->checkedEntries().size(), 5);
    EXPECT_TRUE(boxes.shown().isEmpty());

    // Remove one (only a highlighted current row counts), then all; the file
    // waits for shutdown.
    p->List4->setCurrentRow(0);
    p->List4->clearSelection();
    boxes.answerNext(MessageBox::Answer::Yes);
    p->Picture7->click();
    p->List4->setCurrentRow(1);
    boxes.answerNext(MessageBox::Answer::Yes);
    emit p->Label4->clicked();
    EXPECT_EQ(list(), "Old  +441, Jo  +44123, Al  +442, B  +2");
    boxes.answerNext(MessageBox::Answer::Yes);
    emit p->Label5->clicked();
    EXPECT_EQ(p->List4->count(), 0);
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), "Old  +441\r\nno plus\r\nJane Smith  +44123\r\n");

    // A file that refuses the line is reported as the save at shutdown
    // reports it; the entry stays listed for that save.
    boxes.clear();
    inst.remove("Config\\BudList.dat");
    ASSERT_TRUE(QDir().mkpath(inst.file("Config\\BudList.dat")));
    single("Al", "0124");
    p->Picture4->click();
    EXPECT_EQ(boxLines(boxes),
              QStringList{kWarn + "The Number List could not be saved in Config\\BudList.dat."});
    EXPECT_EQ(list(), "Al  +44124");
}

// Each refusal as the user meets it: the labels are read while the box is up
// (the missing field marked behind the message); the fields are kept.
TEST_F(RecipientsPanelTest, EachRefusalShowsItsExactTextWithTheFieldMarked) {
    QStringList seen;
    PeekingMessageBox peek([&](const MessageBox::Request& r) {
        seen << r.text + '|' + QString::number(p->lblName->font().bold()) +
                    QString::number(p->lblMobile->font().bold());
    });
    p->List4->clear();
    struct Step {
        QToolButton* button;
        QString name, mobile, country, seen;
    } steps[] = {
        {p->Picture4, "", "0123", "+44", "Please enter a Name        |10"},
        // The labels a refusal marked are plain again after Clear.
        {p->Picture19, "", "", "", "Please select a Group        |00"},
        {p->Picture4, "Jo", "", "+44", "Please enter a Number      |01"},
        {p->Picture4, "Jo", "0123", "", "Country code cannot be empty|00"},
        {p->Picture3, "Zed", "+441", "", "Name and Number already exists        |00"},
        // A name past the field's filter is checked again.
        {p->Picture4, "Anne-Marie", "0123", "+44", "The Name must only consist of letters|00"},
    };
    for (const Step& s : steps) {
        seen.clear();
        p->Picture16->click();
        p->Combo3->setCurrentIndex(-1);
        const QSignalBlocker unfiltered(p->Text1);
        single(s.name, s.mobile, s.country);
        s.button->click();
        EXPECT_EQ(seen, QStringList{s.seen});
        EXPECT_EQ(p->Text1->text() + p->Text3->text(), s.name + s.mobile) << "fields kept";
    }
    EXPECT_EQ(boxLines(boxes).filter(kWarn).size(), qsizetype(std::size(steps))) << "warnings";
    EXPECT_EQ(p->List4->count() + p->Combo2->count(), 1);
    emit p->lblClear->clicked();

    // Typed keys: other characters and Enter are refused and discarded, keys
    // that type nothing pass; "+" only at the start, also over a selection.
    boxes.clear();
    QTest::keyClicks(p->Text3, "07a7+1");
    for (Qt::Key k : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete})
        QTest::keyClick(p->Text3, k);
    p->Text3->setSelection(0, 1);
    QTest::keyClicks(p->Text3, "+");
    EXPECT_EQ(p->Text3->text(), "+7");
    EXPECT_FALSE(p->cmbCountryCode->isEnabled());
    EXPECT_EQ(boxLines(boxes),
              QStringList(3, kWarn + "Mobile number must only contain digits        "));
    // The name field drops what is not a letter, one message each time, and
    // goes on at the end.
    boxes.clear();
    QTest::keyClicks(p->Text1, "Jo-");
    p->Text1->insert("5" + QString(100000, 'x')); // pasted
    EXPECT_EQ(p->Text1->text(), "Jo");
    EXPECT_EQ(boxLines(boxes), QStringList(2, kWarn + "Name must only contain letters     "));
}

// The Group Manager on the Number List and its two dialogs: a group made,
// numbers added, and Select hands the members over and shows the group.
TEST_F(RecipientsPanelTest, TheGroupManagerAndItsDialogsReachTheGroupsAndTheNumberList) {
    inst.writeBytes("Config\\ISDCodes.dat", "United Kingdom  +44\r\nFrance  +33\r\n");
    onModal<frmGroups>([&](frmGroups& d) {
        onModal<frmGroupName>([&](frmGroupName& n) {
            typeText(n.Text1, "T e/a.m");
            QTest::keyClick(n.Text1, Qt::Key_Return);
            if (n.isVisible()) // refused: end it, the checks below fail
                n.reject();
        });
        d.Picture1->click();
        onModal<frmGroupAddNumber>([&](frmGroupAddNumber& a) {
            EXPECT_EQ(a.cmbCountryCode->itemText(0) + '|' + a.cmbCountryCode->currentText(),
                      "France  +33|United Kingdom  +44");
            a.Command1->click();
            EXPECT_TRUE(a.lblName->font().bold() && a.isVisible()) << "refused, it stays";
            a.Text1->setText("Al");
            typeText(a.Text3, "07x7");
            a.Command1->click();
            if (a.isVisible()) // refused: end it, the checks below fail
                a.reject();
        });
        d.Command5->click();
        EXPECT_EQ(items(d.List4), (QStringList{"Old  +441", "Al  +4477"}));
        d.List4->setCurrentRow(1);
        d.Command6->click();
        boxes.answerNext(MessageBox::Answer::Yes);
        d.Command1->click();
        if (d.isVisible())
            d.reject();
    });
    emit p->Label2->clicked();
    EXPECT_EQ(
        boxLines(boxes),
        QStringList(3, "Quorvel Warning|stop|" + GroupFiles::kNotAllowed) +
            (QStringList{kWarn + "Please enter a Name        ",
                         kWarn + "Number must only contain digits        ",
                         "Quorvel Warning|ask|Members of the Group have changed. Save Members "
                         "?.    |Yes/No*",
                         kWarn + "Selected Members added.        "}));
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"),
              "Work\r\n \r\nfriends\r\nOutlookContact\r\nTeam\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Team.dat"), "Al  +4477\r\n");
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), "Old  +441\r\nno plus\r\n") << "not written";
    EXPECT_EQ(items(p->List4), (QStringList{"Old  +441", "Al  +4477"}));
    EXPECT_EQ(p->Combo3->currentText(), "Team");
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
    EXPECT_EQ(p->Label7->text() + '|' + p->Label7->toolTip(),
              "Outlook|Microsoft Outlook and Quorvel Contacts");
    ASSERT_TRUE(c->loaded()) << "loaded at start with the address book";
    EXPECT_EQ(c->OutlookItemCount, 1);
    EXPECT_EQ(inst.bytes("Groups\\OutlookContact.dat"), "Jane Smith +447700900123\r\n");
    EXPECT_EQ(c->window().windowTitle(), "Quorvel - Contacts");

    c->OpenContactsWindow();
    p->List4->clear();
    node("Contacts")->setCheckState(0, Qt::Checked);
    c->window().cmdAddSelected->click();
    EXPECT_EQ(list(), "Jane Smith +447700900123") << "checked";
    EXPECT_FALSE(c->window().isVisible() || c->ContactsWindowOpen);
    node("RootContact")->setCheckState(0, Qt::Checked);
    c->window().cmdClearAll->click();
    EXPECT_EQ(node("EContact//3//1")->checkState(0), Qt::Unchecked);
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(ContactsWindowTest, WithoutTheOptionOnlyOwnContactsAndTheWindowDocks) {
    inst.writeBytes("Groups\\OutlookContact.dat", "kept\r\n");
    c->LoadContactsSource();
    EXPECT_TRUE(p->picContact->isVisibleTo(&window));
    EXPECT_EQ(p->Label7->text() + '|' + p->Label7->toolTip(), "Contact|Quorvel contacts");
    EXPECT_FALSE(c->loaded());

    answerWarning(false);
    emit p->Label7->clicked();
    ASSERT_TRUE(c->window().isVisible());
    EXPECT_EQ(Setting::read(Setting::ShowOutlook), "0");
    EXPECT_EQ(node("Contacts")->childCount(), 0);
    EXPECT_EQ(inst.bytes("Groups\\OutlookContact.dat"), "kept\r\n");
    EXPECT_EQ(ContactsTreeWidget::dragText(node("EContact//3")), "node");
    EXPECT_EQ(ContactsTreeWidget::dragText(node("EContact//3//1")), "Al  +442");
    // The whole line in a tip; the number shown left to right there and in the lists.
    EXPECT_EQ(node("EContact//3//1")->toolTip(0), NumberEntry::displayText("Al  +442"));
    EXPECT_TRUE(qobject_cast<NumberLineDelegate*>(c->window().tContacts->itemDelegate()) &&
                qobject_cast<NumberLineDelegate*>(p->List4->itemDelegate()));

    toggleAccessibly(c->window().Check1);
    EXPECT_EQ(c->window().Check1->text(), "Remove Panel");
    p->List4->clear();
    c->window().cmdAddAll->click();
    EXPECT_EQ(items(p->List4), (QStringList{"Zed  +441", "bad", "Al  +442", "no number", "kept"}));
    EXPECT_TRUE(c->window().isVisible()) << "docked, it stays";
    c->window().Command1->click();
    EXPECT_EQ(c->window().Check1->text(), "Add Panel");
    EXPECT_FALSE(c->window().Check1->isChecked());
    EXPECT_FALSE(c->window().isVisible());

    // The reserved group: its file holds no valid line.
    answerWarning(true);
    p->Combo3->setCurrentText("OutlookContact");
    emit p->Combo3->textActivated("OutlookContact");
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
