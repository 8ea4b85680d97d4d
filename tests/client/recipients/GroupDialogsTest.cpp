#include "client/recipients/groups/GroupFiles.h"
#include "client/recipients/groups/GroupManager.h"
#include "client/recipients/ui/frmGroupAddNumber.h"
#include "client/recipients/ui/frmGroupName.h"
#include "support/WidgetTest.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using GroupDialogsTest = WidgetTest;

TEST_F(GroupDialogsTest, TheNameDialogLetsOnlyNameCharactersInAndCreatesTheGroup) {
    inst.writeBytes("Groups\\Group.dat", " \r\n");
    GroupManager groups(inst.appPath(), {});
    frmGroupName d(groups);
    activate(&d);
    typeText(d.Text1, "Fr ie/n.ds");
    EXPECT_EQ(d.Text1->text(), "Friends");
    EXPECT_EQ(boxes.texts(), QStringList(3, GroupFiles::kNotAllowed));
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Critical);
    QTest::keyClick(d.Text1, Qt::Key_Backspace);
    QTest::keyClick(d.Text1, 's');
    QTest::keyClick(d.Text1, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), " \r\nFriends\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Friends.dat"), "");
}

TEST_F(GroupDialogsTest, AddNumberHandsCheckedEntriesToTheCandidatesAndWritesNothing) {
    inst.writeBytes("Config\\ISDCodes.dat", "United Kingdom  +44\r\nFrance  +33\r\n");
    QStringList added;
    frmGroupAddNumber d(
        inst.appPath(), [&](const QString& e) { added << e; }, std::nullopt);
    activate(&d);
    EXPECT_EQ(d.cmbCountryCode->itemText(0), "France  +33");
    EXPECT_EQ(d.cmbCountryCode->currentText(), "United Kingdom  +44");
    d.Text1->setText("Jane");
    typeText(d.Text3, "07x7");
    EXPECT_EQ(boxes.texts(), QStringList{"Number must only contain digits        "});
    d.Picture4->click();
    EXPECT_EQ(added, QStringList{"Jane  +4477"});
    EXPECT_EQ(d.Text1->text() + d.Text3->text(), "");
    d.Command1->click();
    EXPECT_EQ(boxes.texts().last(), "Please enter a Name        ");
    EXPECT_TRUE(d.lblName->font().bold());
    EXPECT_TRUE(d.isVisible());
    d.Text1->setText("Al");
    d.Text3->setText("+331");
    d.Command1->click();
    EXPECT_EQ(added, (QStringList{"Jane  +4477", "Al  +331"}));
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(QFile::exists(inst.file("Config\\BudList.dat")));
}
