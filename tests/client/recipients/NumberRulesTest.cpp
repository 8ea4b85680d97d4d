#include "client/recipients/NumberRules.h"
#include "client/recipients/NumberEntry.h"
#include "support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

TEST(NumberRules, NationalAndCodeFirstFormsBecomeInternational) {
    struct Case {
        const char* digits;
        const char* code;
        const char* number;
    } cases[] = {
        {"0123", "44", "+44123"}, {"123", "44", "+44123"},   {"44123", "44", "+44123"},
        {"44012", "44", "+4412"}, {"5551", "1", "+15551"},   {"1555", "1", "+1555"},
        {"0612", "33", "+33612"}, {"33612", "33", "+33612"}, {"077123", "44", "+4477123"},
        {"", "44", "+44"},        {"0", "44", "+44"},        {"00", "44", "+44"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberRules::MakeInternationalNumber(c.digits, c.code), c.number) << c.digits;
    // After the international access prefix the number carries its own code.
    for (const char* code : {"44", "33", "1"})
        EXPECT_EQ(NumberRules::MakeInternationalNumber("00447700900123", code), "+447700900123");
    EXPECT_EQ(NumberRules::MakeInternationalNumber("0033612", "44"), "+33612");
}

TEST(NumberRules, TheFixedUkRuleDropsEverythingButDigits) {
    for (auto [in, out] :
         {std::pair{"Jane  +44 7700 900123", "+447700900123"}, std::pair{"0123", "+44123"},
          std::pair{"33612", "+4433612"}, std::pair{"(0)77-123", "+4477123"},
          std::pair{"4401", "+441"}, std::pair{"0044 7700 900123", "+447700900123"},
          std::pair{"+44 (0)7700 900123", "+447700900123"}}) {
        QString n = in;
        NumberRules::ValidateNumber(n);
        EXPECT_EQ(n, out) << in;
    }
}

TEST(NumberEntry, OnlyLinesWithANumberAfterThePlusAreLoaded) {
    for (const char* good :
         {"Jane Smith  +44123", "  A  +1  ", "+44", "x+1.5", "x+ 12 ", "x+-1", "x+1e5", "x+.5"})
        EXPECT_TRUE(NumberEntry::IsValidNumberEntry(good)) << good;
    for (const char* bad :
         {"", "   ", "Jane  0123", "Jane  +", "Jane  +44 123", "Jane  +abc", "Jane  +inf",
          "Jane  +nan", "a+b+1", "x+1.2.3", "x+.", "x+1e", "x+0x1F", "x+12-3", "x+-"})
        EXPECT_FALSE(NumberEntry::IsValidNumberEntry(bad)) << bad;
    // Digits are read as text: a number no floating point value can hold is still a number.
    EXPECT_TRUE(NumberEntry::IsValidNumberEntry("Jane  +" + QString(400, '7')));
    EXPECT_FALSE(NumberEntry::IsValidNumberEntry("Jane  +" + QString(400, '7') + "x"));
}

TEST(NumberRules, GetCountryCodeTakesTheCodeFromItsPlusOrSaysWhy) {
    ScriptedMessageBox boxes;
    struct Case {
        const char* text;
        const char* code;
        const char* message;
    } cases[] = {
        {"United Kingdom  +44", "+44", nullptr},
        {"  +1  ", "+1", nullptr},
        {"France  +33", "+33", nullptr},
        {"", "Error", "Country code cannot be empty"},
        {"   ", "Error", "Country code cannot be empty"},
        {"44", "Error", "Country code must begin with + sign followed by numbers"},
        {"Nowhere  +", "Error", "Country code must begin with + sign followed by numbers"},
        {"Odd  +4x4", "Error", "Country code must begin with + sign followed by numbers"},
        {"Spaced  + 44", "Error", "Country code must begin with + sign followed by numbers"},
    };
    for (const Case& c : cases) {
        boxes.clear();
        EXPECT_EQ(NumberRules::countryCodeRefusal(c.text), c.message ? c.message : "") << c.text;
        EXPECT_TRUE(boxes.shown().isEmpty()) << "the refusal alone shows nothing";
        EXPECT_EQ(NumberRules::GetCountryCode(c.text), c.code) << c.text;
        if (!c.message) {
            EXPECT_TRUE(boxes.shown().isEmpty()) << c.text;
            continue;
        }
        ASSERT_EQ(boxes.shown().size(), 1) << c.text;
        EXPECT_EQ(boxes.last().text, c.message);
        EXPECT_EQ(boxes.last().title, "Quorvel Warning");
        EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    }
}

TEST(NumberRules, NamesHoldLettersAndBlanksOnly) {
    EXPECT_TRUE(NumberRules::isNameText("Jane Smith"));
    EXPECT_TRUE(NumberRules::isNameText(""));
    for (const char* bad : {"Anne-Marie", "R2", "O'Neil", "tab\there"})
        EXPECT_FALSE(NumberRules::isNameText(bad)) << bad;
    EXPECT_FALSE(NumberRules::isNameText(QString("Ren") + QChar(0xE9)));
    // The filter drops from the end until the rest is clean.
    EXPECT_EQ(NumberRules::cleanName("Anne-"), "Anne");
    EXPECT_EQ(NumberRules::cleanName("Anne-Marie"), "Anne");
    EXPECT_EQ(NumberRules::cleanName("1abc"), "");
    EXPECT_EQ(NumberRules::cleanName("Jo Bo"), "Jo Bo");
}

TEST(NumberRules, TheMobileFieldKeepsDigitsAndALeadingPlus) {
    struct Case {
        const char* in;
        const char* out;
        bool countryBox;
    } cases[] = {
        {"+44 123", "+44123", false},
        {"(0)77-123", "077123", true},
        {" +4+4 ", "+44", false},
        {"12+3", "123", true},
        {"", "", true},
        {"   ", "", true},
        {"abc", "", true},
        // The trunk prefix "(0)" goes from an internationally written number only.
        {"+44 (0)7700 900123", "+447700900123", false},
        {"0044 (0) 7700", "00447700", true},
        {"(0)77 (0)1", "07701", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberRules::filterMobile(c.in), c.out) << c.in;
        EXPECT_EQ(NumberRules::countryCodeEnabledFor(c.in), c.countryBox) << c.in;
    }
    EXPECT_TRUE(NumberRules::mobileKeyAccepted('7', 3));
    EXPECT_TRUE(NumberRules::mobileKeyAccepted('+', 0));
    EXPECT_FALSE(NumberRules::mobileKeyAccepted('+', 1));
    EXPECT_FALSE(NumberRules::mobileKeyAccepted('-', 0));
    EXPECT_FALSE(NumberRules::mobileKeyAccepted(QChar(0x0663), 0)) << "Arabic-Indic three";
    EXPECT_TRUE(NumberRules::mobileKeyAccepted(QChar(8), 2)) << "Backspace";
    EXPECT_TRUE(NumberRules::mobileKeyAccepted(QChar(22), 2)) << "Ctrl+V";
    for (int code : {0, 1, 3, 9, 13, 27, 127})
        EXPECT_FALSE(NumberRules::mobileKeyAccepted(QChar(code), 0)) << code;
}

TEST(NumberEntry, AnEntryIsNameTwoBlanksNumberAndOverlongLinesAreDamage) {
    EXPECT_EQ(NumberEntry::make("Jane Smith", "+44123"), "Jane Smith  +44123");
    // The longest entry the Single Contact fields can make is far below the limit.
    const QString longest = NumberEntry::make(QString(32767, 'n'), '+' + QString(32766, '4'));
    EXPECT_TRUE(NumberEntry::IsValidNumberEntry(longest));
    EXPECT_FALSE(NumberEntry::IsValidNumberEntry(QString(1 << 20, 'n') + "  +44123"));
}
