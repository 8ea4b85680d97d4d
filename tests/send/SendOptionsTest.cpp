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
        {{"-nw", "+441"}, "--dry-run sends nothing, so there is nothing to --wait for."},
        {{"-nqc44", "1"}, ""},
        {{"-dry-run", "+441"}, "Unknown option 'd'."},
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
    EXPECT_TRUE(!plain->message && plain->timeoutSecs == 600 && !plain->quiet);
    const auto clustered = SendOptions::parse({"quorvel-send", "-nqc44", "-s(x)", "1"}, error);
    ASSERT_TRUE(clustered);
    EXPECT_TRUE(clustered->dryRun && clustered->quiet && clustered->country == "44" &&
                clustered->subject == "(x)");
    EXPECT_TRUE(SendOptions::parse({"quorvel-send", "--version"}, error)->version);
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

// The number column by its heading, else the one field of a row that looks
// like a phone number; never a guess, never a row dropped.
TEST(SendNumbers, ACsvFileGivesItsNumberColumnOrRefusesToGuess) {
    TestInstallation inst;
    struct Case {
        QByteArray bytes;
        QStringList numbers;
        QString error; // after "FILE line "
    } cases[] = {
        {"id,name,mobile\r\n17,Ann,07700 900123\r\n", {"07700 900123"}, ""},
        {"\r\nName;Mobile\r\n\"Ann Example\";\"07700 900123\"\r\n\r\n", {"07700 900123"}, ""},
        {"Name;Cell\r\n\"Smith, Ann\";+33 612345678\r\n\"Lee, Bo\";+33 612345679\r\n",
         {"+33 612345678", "+33 612345679"},
         ""},
        {"Name,Mobile Phone,Home Mobile\r\nAnn,07700 900123,+44 7700 900124\r\n",
         {"+44 7700 900124"},
         ""},
        {"\xEF\xBB\xBF+447700900126,Ann\r\n+447700900127,Bo\r\n",
         {"+447700900126", "+447700900127"},
         ""},
        {"Ann,221,Baker Street,07700 900123\n,,,\n", {"07700 900123"}, ""},
        {"Ann,07700 900123,01632 960000\r\n", {}, "1: which column is the number?"},
        {"name,mobile\r\n\"Ann\r\nLee\",+441234567\r\nBo,\r\n", {}, "4: no phone number."},
        {"+44 7700 900123,Ann\r\nBob,none\r\n", {}, "2: no phone number."},
    };
    for (const Case& c : cases) {
        inst.writeBytes("list.csv", c.bytes);
        QString error;
        EXPECT_EQ(SendNumbers::fromCsv("list.csv", error).value_or(QStringList{}), c.numbers)
            << c.bytes.toStdString();
        EXPECT_EQ(error, c.error.isEmpty() ? "" : "list.csv line " + c.error)
            << c.bytes.toStdString();
    }
    QString error;
    EXPECT_FALSE(SendNumbers::fromCsv("missing.csv", error));
    EXPECT_EQ(error, "Cannot read the recipients file missing.csv.");
}
