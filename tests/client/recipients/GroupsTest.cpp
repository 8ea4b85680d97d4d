#include "BoxLines.h"
#include "client/recipients/contacts/ContactsTree.h"
#include "client/recipients/groups/CountryList.h"
#include "client/recipients/groups/GroupFiles.h"
#include "client/recipients/groups/GroupManager.h"
#include "support/QtPrinters.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

const QString kEmpty = "Quorvel Warning||Group name cannot be empty.";
const QString kAdded = kWarn + "Selected Members added.        ";
const QString kBad = "Quorvel Warning|stop|" + GroupFiles::kNotAllowed;
const QString kTaken = kWarn + GroupFiles::kTryAnother;
const QString kNoGroup = kWarn + "Select a Group before Adding Members        ";

class GroupsTest : public ::testing::Test {
protected:
    GroupsTest() { inst.writeBytes("Groups\\Group.dat", " \r\nFriends\r\nWork\r\n"); }
    QStringList groupFiles() const {
        return QDir(inst.root() + "/Groups").entryList(QDir::Files, QDir::Name);
    }
    // The one box shown since the last look.
    void expectBox(const QString& line) {
        EXPECT_EQ(boxLines(boxes), QStringList{line});
        boxes.clear();
    }

    TestInstallation inst;
    ScriptedMessageBox boxes;
};

} // namespace

TEST_F(GroupsTest, CreateWritesTheListAndAnEmptyFileAndRefusesNamesThatAreNoFileOfItsOwn) {
    inst.writeBytes("Groups\\Group.dat", " \r\nfriends\r\n");
    GroupManager g(inst.appPath(), {});
    g.beginCreate();
    // The last: the reserved group's file.
    const QString refused[][2] = {
        {"", kEmpty},         {"   ", kEmpty},     {"a/b", kBad},       {"..", kBad},
        {"..\\Config", kBad}, {"friends", kTaken}, {"Friends", kTaken}, {"outlookContact", kTaken}};
    for (const auto& [name, box] : refused) {
        EXPECT_FALSE(g.CreateGroup(name)) << name.toStdString();
        expectBox(box);
    }
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), " \r\nfriends\r\n");
    EXPECT_EQ(groupFiles(), QStringList{"Group.dat"});

    ASSERT_TRUE(g.CreateGroup("Work_2"));
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), " \r\nfriends\r\nWork_2\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Work_2.dat"), "");
    EXPECT_EQ(g.text() + QString::number(g.selected()) + QString::number(g.membersChanged()),
              "Work_221");
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(GroupsTest, DeleteLeavesTheFileAndSaveRefusesEveryNameItCannotWriteUnder) {
    inst.writeBytes("Groups\\Friends.dat", "Al  +441\r\n");
    GroupManager g(inst.appPath(), {"Jo  +442"});
    g.SaveMembers();
    expectBox("Quorvel Warning||No group selected.");
    g.DeleteGroup();
    expectBox(kWarn + "Please select a Group to delete        ");
    g.chooseGroup(1);
    g.DeleteGroup();
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), " \r\nWork\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Friends.dat"), "Al  +441\r\n");
    EXPECT_TRUE(g.members().isEmpty());

    g.chooseGroup(1); // Work, whose file is missing: an empty group
    EXPECT_TRUE(g.members().isEmpty());
    g.SaveMembers();
    expectBox(kWarn + "No Numbers Selected.         ");
    g.AddAllCandidates();
    const QString refused[][2] = {{GroupManager::kPlaceholder, kNoGroup},
                                  {"  ", kNoGroup},
                                  {"../Config/Escaped", kBad},
                                  {"WORK", kTaken},
                                  {"OutlookContact", kTaken}};
    for (const auto& [name, box] : refused) {
        g.editText(name);
        g.SaveMembers();
        expectBox(box);
    }
    EXPECT_EQ(groupFiles(), (QStringList{"Friends.dat", "Group.dat"}));
    EXPECT_FALSE(QFile::exists(inst.file("Config\\Escaped.dat")));

    // A typed name without Create gets its file but no place in the list.
    g.editText("Typed");
    g.SaveMembers();
    expectBox(kAdded);
    EXPECT_EQ(inst.bytes("Groups\\Typed.dat"), "Jo  +442\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), " \r\nWork\r\n");
    EXPECT_FALSE(g.membersChanged());
}

// Yes saves first: see the Group Manager's window test.
TEST_F(GroupsTest, SelectAsksToSaveChangedMembersOfTheChosenGroupTheFirstToo) {
    inst.writeBytes("Groups\\Group.dat", "Work\r\n");
    inst.writeBytes("Groups\\Work.dat", "Old  +1\r\n");
    GroupManager g(inst.appPath(), {"Jo  +442", "Al  +443"});
    g.chooseGroup(0);
    g.AddOneCandidate(1);
    const auto s = g.SelectGroup();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->entries, (QStringList{"Old  +1", "Al  +443"}));
    EXPECT_EQ(s->groupName, "Work");
    EXPECT_EQ(boxLines(boxes), QStringList{"Quorvel Warning|ask|Members of the Group have changed. "
                                           "Save Members ?.    |Yes/No*"});
    EXPECT_EQ(inst.bytes("Groups\\Work.dat"), "Old  +1\r\n") << "No: unsaved";
    boxes.clear();
    // No group chosen: the members shown go to the Number List unasked.
    GroupManager none(inst.appPath(), {"Jo  +442"});
    none.AddAllCandidates();
    EXPECT_EQ(none.SelectGroup()->entries, QStringList{"Jo  +442"});
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(GroupsTest, OnlyTheImportWritesTheReservedGroupAndTheTreeKeepsTheNameRule) {
    const QByteArray book = "Jane Smith +447700900123\r\nno number\r\n";
    inst.writeBytes("Groups\\OutlookContact.dat", book);
    inst.writeBytes("Config\\BudList.dat", "Bud  +449\r\n");
    GroupManager g(inst.appPath(), {});
    ASSERT_TRUE(g.CreateGroup("OutlookContact")); // listed, so the main window offers it
    EXPECT_EQ(inst.bytes("Groups\\OutlookContact.dat"), book);

    inst.writeBytes("Groups\\Group.dat", "..\\Config\\BudList\r\nWork \r\n");
    inst.writeBytes("Groups\\Work.dat", "Al  +441\r\n\r\n");
    const QList<GroupMembers> tree = ContactsTree::readGroups(inst.appPath());
    ASSERT_EQ(tree.size(), 2);
    EXPECT_EQ(tree[0].members, QStringList());
    EXPECT_EQ(tree[1].members, QStringList{"Al  +441"});
}

TEST_F(GroupsTest, MembersKeepOurMarkersAndTheNumberListTakesOnlyEntries) {
    const QByteArray members = "Accepted::[12] Jo  +441\r\nno plus # x\r\n\r\nBo  +442#\r\n"
                               "Processing::Cy  +443\r\nDi  +44 5\r\n";
    inst.writeBytes("Groups\\Friends.dat", members);
    inst.writeBytes("Config\\SpeedNos.dat", "Ed  +444\r\nbad\r\n");
    GroupManager g(inst.appPath(), {});
    g.RemoveAllMembers();
    g.chooseGroup(1);
    EXPECT_EQ(g.members().size(), 6) << "shown unchanged, untested";
    g.RemoveOneMember(-1);
    g.AddOneCandidate(-1);
    g.AddAllCandidates();
    g.RemoveOneMember(2); // rewrites the chosen group's file at once
    EXPECT_EQ(boxLines(boxes),
              (QStringList{kWarn + "Group not selected or empty        ",
                           kWarn + "Select Group Member to be deleted        ",
                           kWarn + "Select a Number to be added as a Group member        ",
                           kWarn + "Please fill SMS Number List from Frequently Dialed "
                                   "Numbers and the Numbers List        "}));
    QByteArray left = members;
    left.replace("\r\n\r\n", "\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Friends.dat"), left);
    g.AddFrequentCandidates();
    EXPECT_EQ(g.candidates(), (QStringList{"Ed  +444", "bad"}));
    EXPECT_EQ(GroupFiles::entriesForNumberList(inst.appPath(), "Friends").entries,
              (QStringList{"Accepted::[12] Jo  +441", "Processing::Cy  +443"}));

    const QString noGroup = "Please select a Group        ";
    const QString takes[][2] = {{" ", noGroup},
                                {"Please Select a Group", noGroup},
                                {"../Config/SpeedNos", GroupFiles::kNotAllowed},
                                {"Missing", ""}};
    for (const auto& [box, refusal] : takes) {
        const auto take = GroupFiles::entriesForNumberList(inst.appPath(), box);
        EXPECT_EQ(take.refusal + take.entries.join(','), refusal) << box.toStdString();
    }
}

TEST(CountryList, TheFileSortedOrTheBuiltInListWhenTheFileHoldsNone) {
    TestInstallation inst(TestInstallation::Contents::Empty);
    const QStringList& builtIn = CountryList::builtIn();
    EXPECT_EQ(QString::number(builtIn.size()) + builtIn[4], "229Angola  +244 ");
    EXPECT_EQ(CountryList::forAddNumber(inst.appPath()), builtIn);
    inst.writeBytes("Config\\ISDCodes.dat", "spain  +34\r\n\r\nFrance  +33\r\nUSA  +1\r\n");
    EXPECT_EQ(CountryList::forAddNumber(inst.appPath()),
              (QStringList{"France  +33", "spain  +34", "USA  +1"}));
}
