#include "send/SendOptions.h"
#include "support/QtPrinters.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

TEST(SendOptions, TheCommandLineIsReadOrRefusedWithItsReason) {
    struct Case {
        QStringList args;
        QString error; // "" when accepted
    } cases[] = {
        {{"-m", "hi", "--subject", "S", "--no-signature", "--country", "+44", "--wait", "--timeout",
          "30", "--root", "/r", "--file", "a.csv", "07700 900123", "+331"},
         ""},
        {{"--dry-run", "+441"}, ""},
        {{"-m", "hi"},
         "Usage: quorvel-send [options] NUMBER...\n"
         "No recipient: give one or more numbers, or --file CSV."},
        {{"--country", "4x4", "1"},
         "--country takes a country code such as 44 or +44, not \"4x4\"."},
        {{"--wait", "--timeout", "0", "+1"},
         "--timeout takes a number of seconds above 0, not \"0\"."},
        {{"--timeout", "5", "+1"}, "--timeout goes with --wait."},
        {{"--wait", "--dry-run", "+1"},
         "--dry-run sends nothing, so there is nothing to --wait for."},
        {{"-m", "a", "-m", "b", "+1"}, "--message given more than once."},
        {{"--bogus", "+1"}, "Unknown option 'bogus'."}, // the parser's own texts: one is enough
    };
    for (const Case& c : cases) {
        QString error;
        const auto o = SendOptions::parse(QStringList{"quorvel-send"} + c.args, error);
        EXPECT_EQ(error, c.error) << c.args.join(" ").toStdString();
        EXPECT_EQ(o.has_value(), c.error.isEmpty()) << c.args.join(" ").toStdString();
    }
    QString error;
    const auto o = SendOptions::parse(QStringList{"quorvel-send"} + cases[0].args, error);
    ASSERT_TRUE(o);
    EXPECT_EQ(QStringList({*o->message, o->subject, o->country, o->root, o->csvFile}),
              QStringList({"hi", "S", "44", "/r", "a.csv"}));
    EXPECT_TRUE(o->noSignature && o->wait && !o->dryRun && o->timeoutSecs == 30);
    EXPECT_EQ(o->numbers, (QStringList{"07700 900123", "+331"}));
    const auto plain = SendOptions::parse({"quorvel-send", "+1"}, error);
    EXPECT_TRUE(!plain->message && plain->timeoutSecs == 600);
}

TEST(SendNumbers, TheNumberListRulesWithTheCountryCode) {
    struct Case {
        QString text, country, number, error;
    } cases[] = {
        {"07700 900123", "44", "+447700900123", ""},
        {"7700-900123", "44", "+447700900123", ""},
        {"(0612) 345678", "33", "+33612345678", ""},
        {"+44 (0)7700 900123", "", "+447700900123", ""},
        {"+44 7700 900123", "33", "+447700900123", ""},
        {"0044 7700 900123", "", "+447700900123", ""},
        {"07700 900123", "", "",
         "\"07700 900123\" is a national number: give its country with --country CODE."},
        {"0770O 900123", "44", "", "\"0770O 900123\" is not a phone number."},
        {"44+7700", "44", "", "\"44+7700\" is not a phone number."},
        {"+", "44", "", "\"+\" is not a phone number."},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_EQ(SendNumbers::international(c.text, c.country, error).value_or(""), c.number)
            << c.text.toStdString();
        EXPECT_EQ(error, c.error) << c.text.toStdString();
    }
}

TEST(SendNumbers, ACsvFileGivesAColumnOfNumbersPastAHeadingAndNames) {
    TestInstallation inst;
    inst.writeBytes("list.csv", "\r\nName;Mobile\r\n\"Ann Example\";\"07700 900123\"\r\n"
                                "+33 612345678;Bob\r\n\r\n");
    QString error;
    EXPECT_EQ(SendNumbers::fromCsv(inst.file("list.csv"), error),
              (QStringList{"07700 900123", "+33 612345678"}));
    inst.writeBytes("bad.csv", "+441,Ann\r\nBob,none\r\n");
    EXPECT_FALSE(SendNumbers::fromCsv(inst.file("bad.csv"), error));
    EXPECT_EQ(error, inst.file("bad.csv") + " line 2: no phone number.");
    EXPECT_FALSE(SendNumbers::fromCsv(inst.file("missing.csv"), error));
    EXPECT_EQ(error, "Cannot read the recipients file " + inst.file("missing.csv") + ".");
}
