#include "client/composition/SignatureFile.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

using Kind = SignatureFile::Kind;

TEST(SignatureFile, TheLastLineDecidesFlagTextAndCounter) {
    struct Case {
        QByteArray file;
        Kind kind;
        const char* text;
        bool pageInfo;
        const char* pageFlag;
        int counter;
    } cases[] = {
        {"PAGEIN- Message sent by Quorvel.\r\n", Kind::PageIn, "- Message sent by Quorvel.", true,
         "PAGEIN", 53},
        {"NOPAGEWalter\r\n", Kind::NoPage, "Walter", false, "NOPAGE", 6},
        {"Hello World\r\n", Kind::Bare, "Hello World", true, "PAGEIN", 11},
        {"NOPAGEold\r\nPAGEINnew\r\n", Kind::PageIn, "new", true, "PAGEIN", 30},
        {"PAGEIN\r\n", Kind::PageIn, "", true, "PAGEIN", 27},
        {"pageinabc", Kind::Bare, "pageinabc", true, "PAGEIN", 9},
        {"NOPAGEx\r\n\r\n", Kind::Empty, "", false, "", 0},
        {"", Kind::Empty, "", false, "", 0},
        {"<missing>", Kind::Empty, "", false, "", 0},
        // Damage: what a signature may not hold goes, the rest is cut to 30.
        {QByteArray("NOPAGEa#b\xe9"
                    "c\x00"
                    "d",
                    13),
         Kind::NoPage, "abcd", false, "NOPAGE", 4},
        {"PAGEIN" + QByteArray(1 << 20, 'z'), Kind::PageIn, "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz", true,
         "PAGEIN", 57},
        {"\xff\xfe###", Kind::Empty, "", false, "", 0},
    };
    for (const Case& c : cases) {
        TestInstallation inst;
        if (c.file == "<missing>")
            inst.remove("Config\\Sign.cfg");
        else
            inst.writeBytes("Config\\Sign.cfg", c.file);
        const SignatureFile s = SignatureFile::read(inst.appPath());
        const std::string what = c.file.left(40).toStdString();
        EXPECT_EQ(s.kind(), c.kind) << what;
        EXPECT_EQ(s.text(), c.text) << what;
        EXPECT_EQ(s.pageInfo(), c.pageInfo) << what;
        EXPECT_EQ(s.PageFlag(), c.pageFlag) << what;
        EXPECT_EQ(s.counterLength(), c.counter) << what;
    }
}

TEST(SignatureFile, WrittenAsOneLineOfFlagAndTrimmedText) {
    TestInstallation inst;
    inst.writeBytes("Config\\Sign.cfg", "NOPAGEold\r\nNOPAGEolder\r\n");
    ASSERT_TRUE(SignatureFile::write(inst.appPath(), true, "  Bob  "));
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("PAGEINBob\r\n"));
    // Only blanks are trimmed: a tab around the text is part of it.
    ASSERT_TRUE(SignatureFile::write(inst.appPath(), false, " \tBob\t "));
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGE\tBob\t\r\n"));
    EXPECT_EQ(SignatureFile::read(inst.appPath()).text(), "\tBob\t");
    ASSERT_TRUE(SignatureFile::write(inst.appPath(), false,
                                     QString::fromLatin1("Price \xA3"
                                                         "5")));
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGEPrice \xA3"
                                                         "5\r\n"));
}
