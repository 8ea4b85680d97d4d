#include "client/recipients/NumberRules.h"
#include "client/recipients/FrequentNumbers.h"
#include "client/recipients/NumberEntry.h"
#include "client/recipients/NumberListFile.h"
#include "client/recipients/NumberListRules.h"
#include "client/recipients/SingleContact.h"
#include "support/BoxLines.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

namespace {
struct Pair {
    const char *in, *out;
};
const char* notNumeric = "Country code must begin with + sign followed by numbers";
} // namespace

// After the international access prefix 00 the number carries its own code.
TEST(NumberRules, NationalAndCodeFirstFormsBecomeInternational) {
    struct Case {
        const char *digits, *code, *number;
    } cases[] = {
        {"0123", "44", "+44123"},   {"123", "44", "+44123"},     {"44123", "44", "+44123"},
        {"44012", "44", "+4412"},   {"1555", "1", "+1555"},      {"077123", "44", "+4477123"},
        {"", "44", "+44"},          {"0", "44", "+44"},          {"00", "44", "+44"},
        {"0044770", "1", "+44770"}, {"0033612", "44", "+33612"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberRules::MakeInternationalNumber(c.digits, c.code), c.number) << c.digits;
    // The fixed UK rule takes any text.
    const Pair uk[] = {
        {"Jo  +44 7700 9", "+4477009"}, {"(0)77-123", "+4477123"}, {"0044 7700 9", "+4477009"},
        {"+44 (0)7700 9", "+4477009"},  {"4401", "+441"},
    };
    for (auto [in, out] : uk) {
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
          "Jane  +nan", "x+0x1F", "a+b+1", "x+1.2.3", "x+.", "x+1e", "x+12-3", "x+-"})
        EXPECT_FALSE(NumberEntry::IsValidNumberEntry(bad)) << bad;
    // Digits are read as text: a number no floating point value can hold is still a number.
    EXPECT_TRUE(NumberEntry::IsValidNumberEntry("Jane  +" + QString(400, '7')));
    EXPECT_FALSE(NumberEntry::IsValidNumberEntry("Jane  +" + QString(400, '7') + "x"));
    EXPECT_FALSE(NumberEntry::IsValidNumberEntry(QString(1 << 20, 'n') + "  +44123"));
}

// A name's direction controls would show its number backwards; the marks
// around them reorder nothing and stay. Shown, the number is set apart.
TEST(NumberEntry, DirectionControlsGoAndTheNumberIsShownLeftToRight) {
    const auto u = [](char16_t c) { return QString(QChar(c)); };
    const QString line = "Evil" + u(0x202E) + u(0x202A) + u(0x2066) + u(0x2069) + "  +44123" +
                         u(0x2029) + u(0x202F) + u(0x2065) + u(0x206A);
    EXPECT_EQ(NumberEntry::withoutDirectionControls(line),
              "Evil  +44123" + u(0x2029) + u(0x202F) + u(0x2065) + u(0x206A));
    const QString arabic = QString::fromUtf8("\xd8\xb9\xd9\x85\xd8\xb1");
    EXPECT_EQ(NumberEntry::displayText(arabic + "  +44123"),
              arabic + "  " + u(0x2066) + "+44123" + u(0x2069));
    EXPECT_EQ(NumberEntry::displayText("A+B +1"), "A+B " + u(0x2066) + "+1" + u(0x2069));
    EXPECT_EQ(NumberEntry::displayText("node"), "node");
}

TEST(NumberRules, TheFieldFiltersKeepLettersAndBlanksInNamesAndDigitsAndALeadingPlusInNumbers) {
    // The name filter keeps what comes before the first bad character.
    const Pair names[] = {
        {"Jane Smith", "Jane Smith"}, {"Anne-Marie", "Anne"}, {"R2", "R"},
        {"tab\there", "tab"},         {"1abc", ""},           {"Ren\u00e9", "Ren"}};
    for (auto [in, clean] : names) {
        EXPECT_EQ(NumberRules::cleanName(QString::fromUtf8(in)), clean) << in;
        EXPECT_EQ(NumberRules::isNameText(QString::fromUtf8(in)), QString(in) == clean) << in;
    }
    // The trunk prefix "(0)" goes from an internationally written number only;
    // the country box is off while the number is international.
    const Pair numbers[] = {{"(0)77-123", "077123"}, {" +4+4 ", "+44"},
                            {"12+3", "123"},         {"   ", ""},
                            {"00 (0) 7", "007"},     {"+4 (0)7 9", "+479"}};
    for (auto [in, out] : numbers) {
        EXPECT_EQ(NumberRules::filterMobile(in), out) << in;
        EXPECT_EQ(NumberRules::countryCodeEnabledFor(in), out[0] != '+') << in;
    }
}

// Keys typed into the mobile field: digits, Backspace and Ctrl+V (22) anywhere,
// "+" at the start ('y'); keys that move or delete and shortcuts type nothing
// and pass unjudged ('-'); Enter, Esc and the rest are refused ('n').
TEST(NumberRules, TheMobileKeyFilter) {
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    const int other = Qt::Key_unknown;
    struct Key {
        int key;
        Qt::KeyboardModifiers mods;
        QString text;
        int caret;
        char judged;
    } keys[] = {
        {Qt::Key_7, none, "7", 3, 'y'},           {Qt::Key_Plus, none, "+", 0, 'y'},
        {Qt::Key_Plus, none, "+", 1, 'n'},        {Qt::Key_Minus, none, "-", 0, 'n'},
        {other, none, "\u0663", 0, 'n'},          {other, none, "\t", 0, 'n'},
        {Qt::Key_Backspace, none, "\b", 2, 'y'},  {other, none, "\x16", 2, 'y'},
        {other, none, QString(QChar(0)), 0, 'n'}, {Qt::Key_Return, none, "\r", 0, 'n'},
        {Qt::Key_Escape, none, "\x1b", 0, 'n'},   {Qt::Key_Tab, none, "\t", 0, '-'},
        {Qt::Key_Delete, none, "\x7f", 0, '-'},   {Qt::Key_Left, none, "", 0, '-'},
        {Qt::Key_V, ctrl, "\x16", 0, '-'},        {Qt::Key_Z, Qt::MetaModifier, "z", 0, '-'},
    };
    for (const Key& k : keys) {
        const auto typed = NumberRules::typedCharacter(k.key, k.mods, k.text);
        EXPECT_EQ(!typed                                            ? '-'
                  : NumberRules::mobileKeyAccepted(*typed, k.caret) ? 'y'
                                                                    : 'n',
                  k.judged)
            << std::hex << k.key << " typing " << int(k.text.isEmpty() ? 0 : k.text[0].unicode());
    }
}

// Marks: name label, mobile label ('1' bold, '0' normal, '-' left), name selected.
TEST(SingleContact, TheNumberTakesTheBoxsCodeUnlessItBeginsWithPlusAndRefusalsMarkTheField) {
    ScriptedMessageBox boxes;
    using F = SingleContact::Focus;
    const char* uk = "United Kingdom  +44";
    struct Case {
        bool frequent;
        SingleContact::Fields fields;
        const char *result, *marks;
        F focus;
    } cases[] = {
        {false, {"Jane", "0123", uk}, "Jane  +44123", "000", F::None},
        {false, {"Jane", "07-7", " France  +33 "}, "Jane  +3377", "000", F::None},
        {false, {"Jane", "+44123", ""}, "Jane  +44123", "000", F::None},
        {true, {"Jo-Jo", "0123", uk}, "Jo-Jo  +44123", "000", F::None}, // no letter test
        {false, {"Ann-Jo", "0123", uk}, "The Name must only consist of letters", "--1", F::Name},
        {false, {"", "0123", uk}, "Please enter a Name        ", "1-0", F::Name},
        {false, {"Jo", "", uk}, "Please enter a Number      ", "010", F::Mobile},
        {false, {"Jo", "+", uk}, "Please enter a Number      ", "010", F::Mobile},
        {false, {"Jo", "0123", ""}, "Country code cannot be empty", "000", F::CountryCode},
        {false, {"Jo", "0123", "   "}, "Country code cannot be empty", "000", F::CountryCode},
        {false, {"Jo", "0123", "44"}, notNumeric, "000", F::CountryCode},
        {false, {"Jo", "0123", "Nowhere  +"}, notNumeric, "000", F::CountryCode},
        {false, {"Jo", "0123", "Spaced  + 44"}, notNumeric, "000", F::CountryCode},
        {false, {"Jo", "0123", "Odd  +4x4"}, notNumeric, "000", F::CountryCode},
        {true, {"", "0123", uk}, "Please select a Name        ", "1-0", F::Name},
        {true, {"Jo", "", uk}, "Please enter a Number        ", "010", F::Mobile},
    };
    const auto mark = [](std::optional<bool> b) { return b ? (*b ? '1' : '0') : '-'; };
    for (const auto& c : cases) {
        const auto o = c.frequent ? SingleContact::AddFrequentNumber(c.fields)
                                  : SingleContact::AddSingleContact(c.fields);
        EXPECT_EQ(o.entry.value_or(o.message), c.result);
        EXPECT_EQ(o.entry ? o.message : "", "") << c.result;
        EXPECT_EQ(QString() + mark(o.nameBold) + mark(o.mobileBold) + (o.selectName ? '1' : '0'),
                  c.marks)
            << c.result;
        EXPECT_EQ(o.focus, c.focus) << c.result;
    }
    EXPECT_TRUE(boxes.shown().isEmpty()) << "the window shows it once the labels are set";
}

TEST(NumberListFile, LoadsWhatIsValidFromDamagedFilesAppendsOneLineAndSavesTheWholeList) {
    TestInstallation inst;
    struct Case {
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"Jane  +44123\r\nJo  0123\r\n\r\n   \r\nBob  +44 5\r\nAl  +4477",
         {"Jane  +44123", "Al  +4477"}},
        {"A  +1\nB  +2\rC  +3\r\n", {"A  +1", "B  +2", "C  +3"}},
        {QByteArray(1 << 20, 'n') + "  +44\r\nOk  +1\r\n", {"Ok  +1"}},
        {QByteArray("\x00\xff\x81+1\r\n", 6),
         {QString(QChar(0)) + QChar(0xFF) + QChar(0x81) + "+1"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        inst.writeBytes("Config\\BudList.dat", c.bytes);
        EXPECT_EQ(NumberListFile::load(inst.appPath()), c.entries)
            << c.bytes.left(30).toStdString();
    }
    inst.remove("Config\\BudList.dat");
    EXPECT_TRUE(NumberListFile::load(inst.appPath()).isEmpty());

    ASSERT_TRUE(NumberListFile::save(inst.appPath(), {"C  +3"}));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("C  +3\r\n"));
    ASSERT_TRUE(NumberListFile::save(inst.appPath(), {}));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray(""));
}

TEST(NumberListRules, RemoveOneOrAllRefusesAnEmptyListAndAsksWithNoAsDefault) {
    using namespace NumberListRules;
    EXPECT_EQ(boxLine(removeRefusal(0)),
              kWarn + "Please select the Freq. Dialed Number to be Deleted        ");
    EXPECT_EQ(boxLine(removeRefusal(1)) + boxLine(clearRefusal(1)), "");
    EXPECT_EQ(boxLine(removeQuestion()),
              "Quorvel||Are you sure you want to delete the selected Contact Number?|Yes/No*");
    // Count, highlighted row, row removed; a current row without highlight is no choice.
    for (const auto& [count, highlighted, row] : {std::tuple{3, 1, 1}, {3, -1, -1}, {3, 3, -1}})
        EXPECT_EQ(removedRow(count, highlighted), row) << highlighted;
    EXPECT_EQ(
        QStringList({boxLine(clearRefusal(0)), boxLine(clearQuestion()), boxLine(clearedNotice())}),
        (QStringList{"Quorvel|warn|Number List is empty     ",
                     "Quorvel ||Are you sure you want to delete all the Contact Numbers?|Yes/No*",
                     "Quorvel|warn|Number List cleared     "}));
}

TEST(NumberListRules, EachDroppedLineButAGroupNodeIsAnEntry) {
    for (const char* nothing : {"node", "node\r\n", "node\nnode", ""})
        EXPECT_TRUE(NumberListRules::droppedEntries(nothing).isEmpty()) << nothing;
    EXPECT_EQ(NumberListRules::droppedEntries("A  +1\r\nnode\rB  +2\n\nnode x"),
              (QStringList{"A  +1", "B  +2", "node x"}));
}

TEST(FrequentNumbers, LoadKeepsValidLinesRepeatsIncludedSortedAndSavesInThatOrder) {
    TestInstallation inst;
    inst.writeBytes("Config\\SpeedNos.dat",
                    "zed  +441\r\nbad line\r\nAnn  +442\r\n\r\nann  +443\r\n" +
                        QByteArray(1 << 20, 'x') +
                        "+1\r\nBob  +44 5\r\n"
                        "Ann  +442\r\nmid  +9");
    FrequentNumbers f = FrequentNumbers::load(inst.appPath());
    EXPECT_EQ(f.items(),
              (QStringList{"Ann  +442", "Ann  +442", "ann  +443", "mid  +9", "zed  +441"}));
    f.removeAt(1);
    f.add("a  +1");
    ASSERT_TRUE(f.save(inst.appPath()));
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"),
              QByteArray("a  +1\r\nAnn  +442\r\nann  +443\r\nmid  +9\r\nzed  +441\r\n"));
}

TEST(FrequentNumbers, WholeLinesAreUniqueLetterCaseCountsAndTheButtonsSayWhatTheyRefuse) {
    FrequentNumbers f(QStringList{"Jo  +44123"});
    const auto twice = f.addFrequentNumber("Jo  +44123");
    EXPECT_EQ(twice.value, -1);
    EXPECT_EQ(boxLine(twice.notice), kWarn + "Name and Number already exists        ");
    const auto other = f.addFrequentNumber("jo  +44123");
    EXPECT_EQ(other.value, 1);
    EXPECT_FALSE(other.notice);
    EXPECT_EQ(f.add("Al  +1"), 0);
    EXPECT_EQ(f.add("Jo  +44124"), 3) << "same name, other number";
    EXPECT_EQ(f.add("Zoe  +44123"), 4) << "same number, other name";
    const QString del = kWarn + "Please select freq. dialed number to be deleted      ";
    EXPECT_EQ(boxLine(f.deleteFrequentNumber(-1)), del);
    EXPECT_EQ(boxLine(f.deleteFrequentNumber(5)), del);
    EXPECT_FALSE(f.deleteFrequentNumber(1));
    EXPECT_EQ(f.items(), (QStringList{"Al  +1", "jo  +44123", "Jo  +44124", "Zoe  +44123"}));
    for (const char* none : {"", "Please Select a Number"})
        EXPECT_EQ(boxLine(FrequentNumbers::takeRefusal(none)),
                  kWarn + "Please select a Number        ");
    EXPECT_FALSE(FrequentNumbers::takeRefusal("Jo  +44123"));
}
