#include "client/recipients/contacts/BlobFilter.h"
#include "client/recipients/contacts/ContactFiles.h"
#include "client/recipients/contacts/ContactNumber.h"
#include "client/recipients/contacts/ContactsStore.h"
#include "client/recipients/contacts/ContactsTree.h"
#include "client/recipients/groups/CountryList.h"
#include "client/recipients/groups/GroupFiles.h"
#include "client/recipients/groups/GroupManager.h"
#include "common/Win1252.h"
#include "support/BoxLines.h"
#include "support/QtPrinters.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

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
    TestInstallation inst;
};

struct Sample {
    const char* file;
    QByteArray bytes;
};

// Address-book files in the styles of several programs, and hostile ones.
const QList<Sample> kSamples = {
    {"apple.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Apple;Anna;;;\r\nFN:Anna Apple\r\n"
                  "item1.TEL;type=pref:+44 (0)7700 900123\r\n"
                  "item1.X-ABLabel:_$!<Mobile>!$_\r\nEND:VCARD\r\n"},
    {"many.vcf",
     "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=B6rg M=\n"
     "=C3=BCller\nTEL;CELL:+49 (0)151 2345 6789\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:3.0\nFN:Nat Ional\nTEL;TYPE=CELL:(07700) 900123\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:3.0\nTEL;TYPE=CELL:+447700900125\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:3.0\nFN:Home Only\nTEL;TYPE=HOME:+447700900126\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:Ren=E9 Roux\n"
     "TEL;HOME:+33 1 00 00 00 00\nTEL;CELL;VOICE:+33 6 12 34 56 78\nEND:VCARD\n"},
    {"outlook.csv",
     "\"First Name\",\"Middle Name\",\"Last Name\",\"Notes\",\"Mobile Phone\"\r\n"
     "\"Zo\xEB\",\"\",\"Quinn\",\"line1\r\nline2, \"\"more\"\"\",\"+44 (0)7700 900128\"\r\n"},
    {"smith.vcf", "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Smith;Jane;;;\r\nTEL;HOME;VOICE:+44 20 7946 "
                  "0000\r\nTEL;CELL;VOICE:+44 7700 900124\r\nEND:VCARD\r\n"},
    {"v4.vcf", "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Vera\r\n  Four\r\n"
               "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+44-7700-900127;ext=12\r\nEND:VCARD\r\n"},
    {"Contacts/c.vcf", "BEGIN:VCARD\nFN:Key Clash\nTEL;TYPE=cell:+447700900132\nEND:VCARD\n"},
    {"Hostile/binary.vcf",
     QByteArray("\x00\xFF\xFE\x01:BEGIN\x00VCARD\r\n", 17) + QByteArray(4096, '\x9C')},
    {"Hostile/cut.vcf", "BEGIN:VCARD\r\nFN:Cut Off\r\nTEL;TYPE=CELL:+447700900199\r\n"
                        "BEGIN:VCARD\r\nFN:After Cut\r\nTEL;TYPE=CELL:+447700900133\r\nEND:VCARD"},
    {"Hostile/huge.vcf", "BEGIN:VCARD\r\nFN:Huge File\r\nTEL;CELL:+447700900198\r\nEND:VCARD\r\n"},
    {"Work/thunderbird.csv",
     "First Name,Last Name,Display Name,Primary Email,Work Phone,Mobile Number\n"
     "Tom,Bird,Tommy Bird,tom@example.org,+44 20 7946 0001,+44 7700 900129\n"},
    {"Work/Team/google.csv",
     "\xEF\xBB\xBFName,Given Name,Family Name,Phone 1 - Type,Phone 1 - Value\n"
     ",Gail,Goo,* Mobile,+44 7700 900130 ::: +44 7700 900131\n"},
};

class ContactsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const Sample& s : kSamples) {
            QDir(dir.path()).mkpath(QFileInfo(path(s.file)).path());
            QFile f(path(s.file));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(s.bytes);
        }
        QDir(dir.path()).mkpath("Empty");
        QFile::resize(path("Hostile/huge.vcf"), ContactsStore::kMaxFileBytes + 1);
        ASSERT_EQ(mkfifo(path("Hostile/fifo.vcf").toLocal8Bit().constData(), 0600), 0);
        ASSERT_TRUE(QFile::link(dir.path(), path("Hostile/loop")));
    }
    QString path(const QString& rel) const { return dir.path() + '/' + rel; }

    QTemporaryDir dir;
};

} // namespace

TEST_F(GroupsTest, CreateWritesTheListAndAnEmptyFileAndRefusesNamesThatAreNoFileOfItsOwn) {
    inst.writeBytes("Groups\\Group.dat", " \r\nfriends\r\n");
    GroupManager g(inst.appPath(), {});
    g.beginCreate();
    // The last two: the reserved group's file and the list's own.
    const QString refused[][2] = {
        {"", kEmpty},         {"   ", kEmpty},     {"a/b", kBad},       {"..", kBad},
        {"..\\Config", kBad}, {"friends", kTaken}, {"Friends", kTaken}, {"outlookContact", kTaken},
        {"gROUP", kTaken}};
    for (const auto& [name, box] : refused) {
        const auto created = g.createGroup(name);
        EXPECT_FALSE(created.value) << name.toStdString();
        EXPECT_EQ(boxLine(created.notice), box);
    }
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), " \r\nfriends\r\n");
    EXPECT_EQ(groupFiles(), QStringList{"Group.dat"});

    const auto created = g.createGroup("Work_2");
    ASSERT_TRUE(created.value);
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), " \r\nfriends\r\nWork_2\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Work_2.dat"), "");
    EXPECT_EQ(g.text() + QString::number(g.selected()) + QString::number(g.membersChanged()),
              "Work_221");
    EXPECT_FALSE(created.notice);
}

TEST_F(GroupsTest, DeleteLeavesTheFileAndSaveRefusesEveryNameItCannotWriteUnder) {
    inst.writeBytes("Groups\\Friends.dat", "Al  +441\r\n");
    GroupManager g(inst.appPath(), {"Jo  +442"});
    EXPECT_EQ(boxLine(g.saveMembers()), "Quorvel Warning||No group selected.");
    const QString noDelete = kWarn + "Please select a Group to delete        ";
    EXPECT_EQ(boxLine(g.deleteGroup()), noDelete);
    EXPECT_FALSE(g.chooseGroup(1));
    // Typed over the chosen group: neither "<<" nor Delete acts on Friends.
    g.editText("Family");
    EXPECT_FALSE(g.removeOneMember(0));
    EXPECT_EQ(boxLine(g.deleteGroup()), noDelete);
    g.chooseGroup(1);
    EXPECT_FALSE(g.deleteGroup());
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), " \r\nWork\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Friends.dat"), "Al  +441\r\n");
    EXPECT_TRUE(g.members().isEmpty());

    g.chooseGroup(1); // Work, whose file is missing: an empty group
    EXPECT_TRUE(g.members().isEmpty());
    EXPECT_EQ(boxLine(g.saveMembers()), kWarn + "No Numbers Selected.         ");
    g.addAllCandidates();
    const QString refused[][2] = {{GroupManager::kPlaceholder, kNoGroup},
                                  {"  ", kNoGroup},
                                  {"../Config/Escaped", kBad},
                                  {"WORK", kTaken},
                                  {"group", kTaken},
                                  {"OutlookContact", kTaken}};
    for (const auto& [name, box] : refused) {
        g.editText(name);
        EXPECT_EQ(boxLine(g.saveMembers()), box);
    }
    EXPECT_EQ(groupFiles(), (QStringList{"Friends.dat", "Group.dat"}));
    EXPECT_FALSE(QFile::exists(inst.file("Config\\Escaped.dat")));

    // A typed name without Create gets its file but no place in the list.
    g.editText("Typed");
    EXPECT_EQ(boxLine(g.saveMembers()), kAdded);
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
    g.addOneCandidate(1);
    EXPECT_EQ(boxLine(g.selectQuestion()), "Quorvel Warning|ask|Members of the Group have changed. "
                                           "Save Members ?.    |Yes/No*");
    const auto s = g.selectGroup(false);
    ASSERT_TRUE(s.value);
    EXPECT_EQ(s.value->entries, (QStringList{"Old  +1", "Al  +443"}));
    EXPECT_EQ(s.value->groupName, "Work");
    EXPECT_FALSE(s.notice);
    EXPECT_EQ(inst.bytes("Groups\\Work.dat"), "Old  +1\r\n") << "No: unsaved";
    // No group chosen: the members shown go to the Number List unasked.
    GroupManager none(inst.appPath(), {"Jo  +442"});
    none.addAllCandidates();
    EXPECT_FALSE(none.selectQuestion());
    EXPECT_EQ(none.selectGroup(false).value->entries, QStringList{"Jo  +442"});
}

TEST_F(GroupsTest, OnlyTheImportWritesTheReservedGroupAndTheTreeKeepsTheNameRule) {
    const QByteArray book = "Jane Smith +447700900123\r\nno number\r\n";
    inst.writeBytes("Groups\\OutlookContact.dat", book);
    inst.writeBytes("Config\\BudList.dat", "Bud  +449\r\n");
    GroupManager g(inst.appPath(), {});
    ASSERT_TRUE(g.createGroup("OutlookContact").value); // listed, so the main window offers it
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
    QStringList said{boxLine(g.removeAllMembers())};
    g.chooseGroup(1);
    EXPECT_EQ(g.members().size(), 6) << "shown unchanged, untested";
    said << boxLine(g.removeOneMember(-1)) << boxLine(g.addOneCandidate(-1))
         << boxLine(g.addAllCandidates())
         << boxLine(g.removeOneMember(2)); // rewrites the chosen group's file at once
    EXPECT_EQ(said, (QStringList{kWarn + "Group not selected or empty        ",
                                 kWarn + "Select Group Member to be deleted        ",
                                 kWarn + "Select a Number to be added as a Group member        ",
                                 kWarn + "Please fill SMS Number List from Frequently Dialed "
                                         "Numbers and the Numbers List        ",
                                 ""}));
    QByteArray left = members;
    left.replace("\r\n\r\n", "\r\n");
    EXPECT_EQ(inst.bytes("Groups\\Friends.dat"), left);
    g.addFrequentCandidates();
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

TEST(ContactNumber, CleanOutlookNumber) {
    const QList<QPair<QString, QString>> cases = {
        {"+44 (0)7700 900123", "+447700900123"},
        {"(07700) 900123", ""},
        {"+44 (07700) 900123", "+447700900123"},
        {"+1 [555] 010-9999", "+15550109999"},
        {QString("+44") + QChar(0xA0) + "7700\t900123", "+447700900123"},
        {QString("+44 7700") + QChar(0) + QChar(0x1F) + QChar(0x7F) + "900123", "+447700900123"},
        // A byte-order mark, and the direction marks phones put around numbers.
        {QString(QChar(0xFEFF)) + QChar(0x202A) + "+44 7700 900123" + QChar(0x202C) + QChar(0x200E),
         "+447700900123"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ContactNumber::CleanOutlookNumber(in), out) << in.toStdString();
    EXPECT_EQ(ContactNumber::contactLine(QString("Ann") + QChar(0x202E) + "\r\nLee ", "+1"),
              "Ann  Lee +1");
}

TEST_F(ContactsStoreTest, EveryStyleGivesItsContactLineAndHostileFilesAreSkipped) {
    int lastCount = 0;
    const AddressBook book =
        ContactsStore(dir.path()).read([&](int n) { EXPECT_EQ(n, ++lastCount); });
    EXPECT_EQ(book.lines(), (QStringList{"Anna Apple +447700900123",
                                         QString::fromUtf8("Jörg Müller +4915123456789"),
                                         QString::fromUtf8("René Roux +33612345678"),
                                         QString::fromUtf8("Zoë Quinn +447700900128"),
                                         "Jane Smith +447700900124", "Vera Four +447700900127",
                                         "Key Clash +447700900132", "After Cut +447700900133",
                                         "Tommy Bird +447700900129", "Gail Goo +447700900130"}));
    EXPECT_EQ(lastCount, 13);
    QStringList paths;
    for (const ContactFolder& f : book.folders)
        paths << f.path + ':' + QString::number(f.items) + '/' + QString::number(f.subfolders);
    EXPECT_EQ(paths, (QStringList{":9/4", "Contacts:1/0", "Empty:0/0", "Hostile:1/0", "Work:1/1",
                                  "Work/Team:1/0"}));
    EXPECT_EQ(book.unread, QStringList{"Hostile/huge.vcf: larger than 256 MiB, not read."});
    EXPECT_FALSE(ContactsStore(path("missing")).isAvailable());
    EXPECT_TRUE(ContactsStore(path("missing")).read().folders.isEmpty());
}

TEST_F(ContactsStoreTest, TreeKeysNeverCollide) {
    const AddressBook book = ContactsStore(dir.path()).read();
    QList<GroupMembers> groups = {{"G1", 1, {}}, {"G11", 11, {"eleven"}}};
    for (int i = 1; i <= 11; ++i)
        groups[0].members << QString("m%1").arg(i);
    const QList<ContactsTree::Node> nodes = ContactsTree::build(&book, {"Bob  +441"}, groups);
    QSet<QString> keys;
    QHash<QString, QString> parentOf, textOf;
    for (const ContactsTree::Node& n : nodes) {
        EXPECT_TRUE(n.parentKey.isEmpty() || keys.contains(n.parentKey)) << n.key.toStdString();
        keys.insert(n.key);
        parentOf[n.text] = n.parentKey;
        textOf[n.key] = n.text;
    }
    EXPECT_EQ(keys.size(), nodes.size());
    EXPECT_EQ(textOf["EContact//1//11"], "m11");
    EXPECT_EQ(textOf["EContact//11//1"], "eleven");
    EXPECT_EQ(parentOf["Key Clash +447700900132"], "Contacts/Contacts");
    EXPECT_EQ(textOf["Contacts/Contacts"], "Contacts");
    EXPECT_EQ(textOf["Contacts"], "Outlook Contacts");
    EXPECT_EQ(parentOf["Team"], "Contacts/Work");
    EXPECT_EQ(parentOf["Anna Apple +447700900123"], "Contacts");
    EXPECT_EQ(parentOf["Bob  +441"], "SpeedNos");
    EXPECT_FALSE(parentOf.contains("Empty")) << "a folder holding nothing has no node";

    // A check reaches every depth below; the adds take contacts only, in tree order.
    const QStringList work = ContactsTree::descendants(nodes, "Contacts/Work");
    const QSet<QString> checked(work.begin(), work.end());
    EXPECT_EQ(ContactsTree::descendants(nodes, "RootContact").size(), nodes.size() - 1);
    EXPECT_EQ(
        ContactsTree::contactLines(nodes, [&](const QString& k) { return checked.contains(k); }),
        (QStringList{"Tommy Bird +447700900129", "Gail Goo +447700900130"}));
}

// What other exports and address books hold: a national mobile before the
// international one, the mobile columns of other programs and languages, a
// picture-laden book past the old limit, a tree wider than the open-file
// limit, a file rewritten while it is read.
TEST(ContactsImport, EveryMobileColumnAndTheFirstInternationalMobileAreTaken) {
    for (const char* heading : {"Mobile Phone", "Mobile", "Cell", "Home Mobile", "Mobiltelefon",
                                "Téléphone mobile", "Cellulare", "Móvil", "mobile number"}) {
        const QByteArray utf8 =
            "Name;" + QByteArray(heading) + "\r\nAnn;07700 900140\r\n" + "Bo;+44 7700 900141\r\n";
        const QList<RawContact> expected = {{"Ann", "07700 900140"}, {"Bo", "+44 7700 900141"}};
        EXPECT_EQ(ContactsCsv::parse(utf8), expected) << heading;
        const QByteArray ansi = Win1252::encode(QString::fromUtf8(utf8));
        EXPECT_EQ(ContactsCsv::parse(ansi), expected) << heading << " in Windows-1252";
    }
    EXPECT_EQ(ContactsCsv::parse("Name,Mobile,Home Mobile,Phone 1 - Type,Phone 1 - Value\n"
                                 "Ann,07700 900142,,Mobile,07700 900143 ::: +44 7700 900144\n"),
              (QList<RawContact>{{"Ann", "+44 7700 900144"}}));
    EXPECT_EQ(VCard::parse("BEGIN:VCARD\nFN:Two\nTEL;TYPE=CELL:07700 900145\nTEL;HOME:+441\n"
                           "item2.TEL:+44 7700 900146\nitem2.X-ABLabel:mobile\nEND:VCARD\n"),
              (QList<RawContact>{{"Two", "+44 7700 900146"}}));
}

TEST(ContactsImport, PicturesAndKeysAreDroppedAsTheBytesCome) {
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Pic\r\n"
                            "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\r\n SkZJRgAB\r\n\tAQAAAQ\r\n"
                            "TEL;TYPE=CELL:+447700900147\r\nitem1.KEY:MIIB\r\n  more\r\n"
                            "NOTE:PHOTO:kept\r\n folded note\r\nEND:VCARD\r\n";
    for (qsizetype step : {qsizetype(1), qsizetype(7), card.size()}) {
        BlobFilter filter;
        for (qsizetype at = 0; at < card.size(); at += step)
            filter.add(QByteArrayView(card).sliced(at, std::min(step, card.size() - at)));
        EXPECT_EQ(filter.kept(), QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Pic\r\n\n\n\n"
                                            "TEL;TYPE=CELL:+447700900147\r\n\n\n"
                                            "NOTE:PHOTO:kept\r\n folded note\r\nEND:VCARD\r\n"))
            << step;
    }
}

TEST(ContactsImport, LargeBooksWideTreesAndRewrittenFilesLoseNothingSilently) {
    QTemporaryDir dir;
    const auto write = [&](const QString& rel, const QByteArray& bytes) {
        QDir(dir.path()).mkpath(QFileInfo(dir.path() + '/' + rel).path());
        QFile f(dir.path() + '/' + rel);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    const auto card = [](const QByteArray& name, int n) {
        return "BEGIN:VCARD\r\nFN:" + name + "\r\nTEL;CELL:+447700900" + QByteArray::number(n) +
               "\r\nEND:VCARD\r\n";
    };
    // 20 MiB of a picture, then the card that matters.
    QByteArray photos =
        "BEGIN:VCARD\r\nFN:Big Photo\r\nPHOTO;ENCODING=b:" + QByteArray(20 << 20, 'A') +
        "\r\nTEL;CELL:+447700900150\r\nEND:VCARD\r\n";
    write("big.vcf", photos + card("After Photo", 151));
    photos.clear();
    write("huge.vcf", card("Too Large", 152));
    QFile::resize(dir.path() + "/huge.vcf", ContactsStore::kMaxFileBytes + 1);
    write("moving.vcf", card("Moving", 153));
    write("settling.vcf", card("Settling", 154));
    // Wider than the open-file limit set below.
    for (int i = 0; i < 80; ++i)
        write(QString("Wide/%1/c.vcf").arg(i, 2, 10, QChar('0')),
              card("W" + QByteArray::number(i), 200 + i));

    ContactsStore store(dir.path());
    int settled = 0;
    store.setWhileReading([&](const QString& file) {
        if (file == "moving.vcf" || (file == "settling.vcf" && settled++ == 0))
            write(file, card("Rewritten", 155 + settled) + card("Half", 157));
    });
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
    struct rlimit low = old;
    low.rlim_cur = 40;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    const AddressBook book = store.read();
    setrlimit(RLIMIT_NOFILE, &old);

    QStringList top = book.folders.value(0).lines;
    EXPECT_EQ(top, (QStringList{"Big Photo +447700900150", "After Photo +447700900151",
                                "Rewritten +447700900156", "Half +447700900157"}));
    EXPECT_EQ(book.unread, (QStringList{"huge.vcf: larger than 256 MiB, not read.",
                                        "moving.vcf: changed while it was read, not read."}));
    EXPECT_EQ(book.lines().size(), top.size() + 80);
    EXPECT_EQ(book.lines().last(), "W79 +447700900279");
}
