#include "client/recipients/contacts/ContactsStore.h"
#include "client/recipients/contacts/ContactNumber.h"
#include "client/recipients/contacts/ContactsTree.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

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
    EXPECT_EQ(ContactNumber::contactLine("Ann\r\nLee ", "+1"), "Ann  Lee +1");
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
