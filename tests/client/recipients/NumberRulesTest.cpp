#include "client/recipients/NumberRules.h"
#include "client/recipients/NumberEntry.h"

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
        {"", "44", "+44"},        {"0", "44", "+44"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberRules::MakeInternationalNumber(c.digits, c.code), c.number) << c.digits;
}

TEST(NumberRules, TheFixedUkRuleDropsEverythingButDigits) {
    for (auto [in, out] : {std::pair{"Jane  +44 7700 900123", "+447700900123"},
                           std::pair{"0123", "+44123"}, std::pair{"33612", "+4433612"},
                           std::pair{"(0)77-123", "+4477123"}, std::pair{"4401", "+441"}}) {
        QString n = in;
        NumberRules::ValidateNumber(n);
        EXPECT_EQ(n, out) << in;
    }
}

TEST(NumberEntry, OnlyLinesWithANumberAfterThePlusAreLoaded) {
    for (const char* good : {"Jane Smith  +44123", "  A  +1  ", "+44", "x+1.5"})
        EXPECT_TRUE(NumberEntry::IsValidNumberEntry(good)) << good;
    for (const char* bad : {"", "   ", "Jane  0123", "Jane  +", "Jane  +44 123", "Jane  +abc",
                            "Jane  +inf", "Jane  +nan", "a+b+1"})
        EXPECT_FALSE(NumberEntry::IsValidNumberEntry(bad)) << bad;
}
