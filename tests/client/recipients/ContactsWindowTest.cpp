#include "client/recipients/ui/ContactsController.h"
#include "client/recipients/ui/ContactsDialogs.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/recipients/ui/RecipientsPanel.h"
#include "client/recipients/ui/frmOutlook.h"
#include "client/settings/ClientSettings.h"
#include "common/Setting.h"
#include "support/WidgetTest.h"
#include "ui/ClickableLabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

class ContactsWindowTest : public WidgetTest {
protected:
    ContactsWindowTest() {
        inst.writeBytes("Config\\SpeedNos.dat", "Bob  +447700900001\r\n");
        inst.writeBytes("Groups\\Group.dat", " \r\nFriends\r\nOutlookContact\r\n");
        inst.writeBytes("Groups\\Friends.dat", "Amy  +447700900002\r\n");
        inst.writeBytes("book/jane.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jane Smith\r\n"
                                         "TEL;TYPE=CELL:+44 (0)7700 900123\r\nEND:VCARD\r\n"
                                         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nat Ional\r\n"
                                         "TEL;TYPE=CELL:(07700) 900123\r\nEND:VCARD\r\n");
        settings = ClientSettings::loadWithDefaults();
        Setting::write(Setting::ContactsDir, inst.file("book"));
        p = new RecipientsPanel([this] { return inst.appPath(); }, &main);
        (new QVBoxLayout(&main))->addWidget(p);
        p->controller().LoadGroups();
        c = new ContactsController(
            *p, settings, [this] { return inst.appPath(); },
            {&main, [this](QWidget* w) { docked << w; },
             [this](QWidget* w) { docked.removeAll(w); }},
            &main);
        activate(&main);
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

    QWidget main;
    ClientSettings settings;
    RecipientsPanel* p = nullptr;
    ContactsController* c = nullptr;
    QList<QWidget*> docked;
};

} // namespace

TEST_F(ContactsWindowTest, TheAddressBookFillsTheTreeAndTheFileAndAddSelectedTakesTheBranch) {
    settings.OutlookEnabled = true;
    settings.OutlookWarningOff = true;
    c->LoadContactsSource();
    EXPECT_TRUE(p->picOutLook->isVisibleTo(&main));
    EXPECT_FALSE(p->picContact->isVisibleTo(&main));
    EXPECT_EQ(p->Label7->text(), "Outlook");
    EXPECT_EQ(p->Label7->toolTip(), "Microsoft Outlook and Quorvel Contacts");
    ASSERT_TRUE(c->loaded()) << "loaded at start with the address book";
    EXPECT_EQ(c->OutlookItemCount, 2);
    EXPECT_EQ(inst.bytes("Groups\\OutlookContact.dat"), "Jane Smith +447700900123\r\n");
    EXPECT_EQ(c->window().windowTitle(), "Quorvel - Contacts");
    EXPECT_EQ(node("Contacts")->text(0), "Outlook Contacts");
    EXPECT_EQ(node("Contacts")->child(0)->text(0), "Jane Smith +447700900123");

    c->OpenContactsWindow();
    EXPECT_TRUE(c->window().isVisible());
    p->List4->clear();
    node("Contacts")->setCheckState(0, Qt::Checked);
    EXPECT_EQ(node("Contacts")->child(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(node("SpeedNos")->child(0)->checkState(0), Qt::Unchecked);
    c->window().cmdAddSelected->click();
    EXPECT_EQ(items(p->List4), QStringList{"Jane Smith +447700900123"});
    EXPECT_EQ(p->List4->item(0)->checkState(), Qt::Checked);
    EXPECT_FALSE(c->window().isVisible());
    EXPECT_FALSE(c->ContactsWindowOpen);
    node("RootContact")->setCheckState(0, Qt::Checked);
    c->window().cmdClearAll->click();
    EXPECT_EQ(node("EContact//2//1")->checkState(0), Qt::Unchecked);
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(ContactsWindowTest, WithoutTheOptionOnlyOwnContactsAndTheWindowDocks) {
    inst.writeBytes("Groups\\OutlookContact.dat", "kept\r\n");
    c->LoadContactsSource();
    EXPECT_TRUE(p->picContact->isVisibleTo(&main));
    EXPECT_EQ(p->Label7->text(), "Contact");
    EXPECT_EQ(p->Label7->toolTip(), "Quorvel contacts");
    EXPECT_FALSE(c->loaded());

    answerWarning(false);
    emit p->Label7->clicked();
    ASSERT_TRUE(c->window().isVisible());
    EXPECT_EQ(Setting::read(Setting::ShowOutlook), "0");
    EXPECT_EQ(node("Contacts")->childCount(), 0);
    EXPECT_EQ(inst.bytes("Groups\\OutlookContact.dat"), "kept\r\n");
    EXPECT_EQ(ContactsTreeWidget::dragText(node("EContact//2")), "node");
    EXPECT_EQ(ContactsTreeWidget::dragText(node("EContact//2//1")), "Amy  +447700900002");

    c->window().Check1->click();
    EXPECT_EQ(c->window().Check1->text(), "Remove Panel");
    EXPECT_EQ(docked, QList<QWidget*>{&c->window()});
    p->List4->clear();
    c->window().cmdAddAll->click();
    EXPECT_EQ(items(p->List4), (QStringList{"Bob  +447700900001", "Amy  +447700900002", "kept"}));
    EXPECT_TRUE(c->window().isVisible()) << "docked, it stays";
    c->window().Command1->click();
    EXPECT_TRUE(docked.isEmpty());
    EXPECT_EQ(c->window().Check1->text(), "Add Panel");
    EXPECT_FALSE(c->window().Check1->isChecked());
    EXPECT_FALSE(c->window().isVisible());

    // The reserved group: its file holds no valid line.
    answerWarning(true);
    p->Combo3->setCurrentText("OutlookContact");
    emit p->Combo3->textActivated("OutlookContact");
    EXPECT_EQ(boxes.texts(), QStringList{"Outlook Contacts are empty"});
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);
    EXPECT_EQ(Setting::read(Setting::ShowOutlook), "1");
    EXPECT_TRUE(settings.OutlookWarningOff);
    c->OpenContactsWindow(); // no warning any more: a modal one would fail the test
    EXPECT_TRUE(c->window().isVisible());
}
