#include "client/recipients/SingleContact.h"
#include "support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

using Focus = SingleContact::Focus;

namespace {
const char* kUk = "United Kingdom  +44";
} // namespace

TEST(SingleContact, NumbersBecomeInternationalWithTheChosenCode) {
    ScriptedMessageBox boxes;
    struct Case {
        const char* mobile;
        const char* country;
        const char* entry;
    } cases[] = {
        {"0123", kUk, "Jane  +44123"},           {"123", kUk, "Jane  +44123"},
        {"44012", kUk, "Jane  +4412"},           {"077123", kUk, "Jane  +4477123"},
        {"0612", "France  +33", "Jane  +33612"}, {"33612", "France  +33", "Jane  +33612"},
        {"+44123", "", "Jane  +44123"},          {"+331", "France  +33", "Jane  +331"},
        {"5551", "+1", "Jane  +15551"},
    };
    for (const auto& c : cases) {
        const auto o = SingleContact::AddSingleContact({"Jane", c.mobile, c.country});
        ASSERT_TRUE(o.entry) << c.mobile;
        EXPECT_EQ(*o.entry, c.entry);
        EXPECT_EQ(o.nameBold, false);
        EXPECT_EQ(o.mobileBold, false);
        EXPECT_EQ(o.focus, Focus::None);
        EXPECT_EQ(o.message, "");
    }
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST(SingleContact, RefusalsSayWhyAndMarkTheField) {
    ScriptedMessageBox boxes;
    struct Case {
        SingleContact::Fields fields;
        const char* message;
        Focus focus;
        std::optional<bool> nameBold, mobileBold;
        bool selectName;
    } cases[] = {
        {{"Anne-Marie", "0123", kUk},
         "The Name must only consist of letters",
         Focus::Name,
         {},
         {},
         true},
        {{"", "0123", kUk}, "Please enter a Name        ", Focus::Name, true, {}, false},
        {{"Jo", "", kUk}, "Please enter a Number      ", Focus::Mobile, false, true, false},
        {{"Jo", "+", kUk}, "Please enter a Number      ", Focus::Mobile, false, true, false},
        {{"Jo", "0123", ""},
         "Country code cannot be empty",
         Focus::CountryCode,
         false,
         false,
         false},
        {{"Jo", "0123", "44"},
         "Country code must begin with + sign followed by numbers",
         Focus::CountryCode,
         false,
         false,
         false},
    };
    for (const auto& c : cases) {
        boxes.clear();
        const auto o = SingleContact::AddSingleContact(c.fields);
        EXPECT_FALSE(o.entry) << c.message;
        EXPECT_EQ(o.message, c.message);
        EXPECT_TRUE(boxes.shown().isEmpty()) << "the window shows it once the labels are set";
        EXPECT_EQ(o.focus, c.focus) << c.message;
        EXPECT_EQ(o.nameBold, c.nameBold) << c.message;
        EXPECT_EQ(o.mobileBold, c.mobileBold) << c.message;
        EXPECT_EQ(o.selectName, c.selectName) << c.message;
    }
}

TEST(SingleContact, TheFrequentListHasItsOwnTextsAndNoLetterTest) {
    ScriptedMessageBox boxes;
    EXPECT_EQ(SingleContact::AddFrequentNumber({"", "0123", kUk}).message,
              "Please select a Name        ");
    EXPECT_EQ(SingleContact::AddFrequentNumber({"Jo", "", kUk}).message,
              "Please enter a Number        ");
    const auto o = SingleContact::AddFrequentNumber({"Jo-Jo", "0123", kUk});
    ASSERT_TRUE(o.entry);
    EXPECT_EQ(*o.entry, "Jo-Jo  +44123");
    EXPECT_EQ(o.message, "");
    EXPECT_TRUE(boxes.shown().isEmpty());
}
