#include "client/recipients/NumberRules.h"
#include "client/recipients/NumberEntry.h"
#include "client/recipients/SingleContact.h"
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

TEST(NumberRules, NamesHoldLettersAndBlanksOnlyAndTheFilterKeepsWhatComesBeforeABadOne) {
    for (auto [in, clean] : {std::pair{"Jane Smith", "Jane Smith"},
                             {"", ""},
                             {"Anne-", "Anne"},
                             {"Anne-Marie", "Anne"},
                             {"R2", "R"},
                             {"O'Neil", "O"},
                             {"tab\there", "tab"},
                             {"1abc", ""},
                             {"Ren\u00e9", "Ren"}}) {
        EXPECT_EQ(NumberRules::cleanName(QString::fromUtf8(in)), clean) << in;
        EXPECT_EQ(NumberRules::isNameText(QString::fromUtf8(in)), QString(in) == clean) << in;
    }
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
    for (auto [key, caret, ok] : {std::tuple{u'7', 3, true},
                                  {u'+', 0, true},
                                  {u'+', 1, false},
                                  {u'-', 0, false},
                                  {u'\u0663', 0, false},
                                  {u'\b', 2, true},
                                  {char16_t(22), 2, true} /* Ctrl+V */,
                                  {u'\0', 0, false},
                                  {char16_t(1), 0, false},
                                  {u'\t', 0, false},
                                  {u'\r', 0, false},
                                  {char16_t(27), 0, false},
                                  {char16_t(127), 0, false}})
        EXPECT_EQ(NumberRules::mobileKeyAccepted(QChar(key), caret), ok) << int(key);
}

// What a key press types for the mobile filter: editing keys and shortcuts type
// nothing and pass unjudged; Enter and Esc type their control characters.
TEST(NumberRules, EditingKeysAndShortcutsTypeNothing) {
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        const char* text;
        int typed; // -1: none
    } cases[] = {
        {Qt::Key_7, none, "7", '7'},        {Qt::Key_Plus, none, "+", '+'},
        {Qt::Key_Backspace, none, "\b", 8}, {Qt::Key_Return, none, "\r", 13},
        {Qt::Key_Enter, none, "\r", 13},    {Qt::Key_Escape, none, "\x1b", 27},
        {Qt::Key_Tab, none, "\t", -1},      {Qt::Key_Backtab, none, "", -1},
        {Qt::Key_Delete, none, "\x7f", -1}, {Qt::Key_Left, none, "", -1},
        {Qt::Key_Home, none, "", -1},       {Qt::Key_V, ctrl, "\x16", -1},
        {Qt::Key_A, ctrl, "\x01", -1},      {Qt::Key_Z, Qt::MetaModifier, "z", -1},
    };
    for (const Case& c : cases) {
        const auto typed = NumberRules::typedCharacter(c.key, c.mods, c.text);
        EXPECT_EQ(typed ? typed->unicode() : -1, c.typed) << std::hex << c.key;
    }
}

TEST(NumberEntry, AnEntryIsNameTwoBlanksNumberAndOverlongLinesAreDamage) {
    EXPECT_EQ(NumberEntry::make("Jane Smith", "+44123"), "Jane Smith  +44123");
    // The longest entry the Single Contact fields can make is far below the limit.
    const QString longest = NumberEntry::make(QString(32767, 'n'), '+' + QString(32766, '4'));
    EXPECT_TRUE(NumberEntry::IsValidNumberEntry(longest));
    EXPECT_FALSE(NumberEntry::IsValidNumberEntry(QString(1 << 20, 'n') + "  +44123"));
}

TEST(SingleContact, TheNumberTakesTheBoxsCodeUnlessItBeginsWithPlus) {
    ScriptedMessageBox boxes;
    for (auto [mobile, country, entry] : {std::tuple{"0123", "United Kingdom  +44", "Jane  +44123"},
                                          {"07-7", " France  +33 ", "Jane  +3377"},
                                          {"5551", "+1", "Jane  +15551"},
                                          {"+44123", "", "Jane  +44123"},
                                          {"+331", "Spain  +34", "Jane  +331"}}) {
        const auto o = SingleContact::AddSingleContact({"Jane", mobile, country});
        EXPECT_EQ(o.entry.value_or("none"), entry) << mobile;
        EXPECT_EQ(o.nameBold, false);
        EXPECT_EQ(o.mobileBold, false);
        EXPECT_EQ(o.focus, SingleContact::Focus::None);
        EXPECT_EQ(o.message, "");
    }
    const auto o = SingleContact::AddFrequentNumber({"Jo-Jo", "0123", "+44"});
    EXPECT_EQ(o.entry.value_or("none"), "Jo-Jo  +44123") << "no letter test for this list";
    EXPECT_TRUE(boxes.shown().isEmpty());
}

// Marks: name label, mobile label ('1' bold, '0' normal, '-' left), name selected.
TEST(SingleContact, RefusalsSayWhyMarkTheFieldAndShowNothingThemselves) {
    ScriptedMessageBox boxes;
    using F = SingleContact::Focus;
    const char* uk = "United Kingdom  +44";
    struct Case {
        bool frequent;
        SingleContact::Fields fields;
        const char *message, *marks;
        F focus;
    } cases[] = {
        {false,
         {"Anne-Marie", "0123", uk},
         "The Name must only consist of letters",
         "--1",
         F::Name},
        {false, {"", "0123", uk}, "Please enter a Name        ", "1-0", F::Name},
        {false, {"Jo", "", uk}, "Please enter a Number      ", "010", F::Mobile},
        {false, {"Jo", "+", uk}, "Please enter a Number      ", "010", F::Mobile},
        {false, {"Jo", "0123", ""}, "Country code cannot be empty", "000", F::CountryCode},
        {false,
         {"Jo", "0123", "44"},
         "Country code must begin with + sign followed by numbers",
         "000",
         F::CountryCode},
        {true, {"", "0123", uk}, "Please select a Name        ", "1-0", F::Name},
        {true, {"Jo", "", uk}, "Please enter a Number        ", "010", F::Mobile},
    };
    const auto mark = [](std::optional<bool> b) { return b ? (*b ? '1' : '0') : '-'; };
    for (const auto& c : cases) {
        const auto o = c.frequent ? SingleContact::AddFrequentNumber(c.fields)
                                  : SingleContact::AddSingleContact(c.fields);
        EXPECT_FALSE(o.entry) << c.message;
        EXPECT_EQ(o.message, c.message);
        EXPECT_EQ(QString() + mark(o.nameBold) + mark(o.mobileBold) + (o.selectName ? '1' : '0'),
                  c.marks)
            << c.message;
        EXPECT_EQ(o.focus, c.focus) << c.message;
    }
    EXPECT_TRUE(boxes.shown().isEmpty()) << "the window shows it once the labels are set";
}
