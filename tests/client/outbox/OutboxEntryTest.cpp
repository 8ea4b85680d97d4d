#include "client/outbox/OutboxEntry.h"

#include <gtest/gtest.h>

TEST(OutboxEntry, DetailsFindThePiecesByTheirFirstMarks) {
    struct Case {
        const char* entry;
        const char* id;
        const char* dateTime;
        const char* message;
    } cases[] = {
        {"[57] 05/12/2026 16:20:00 +447700900123 Hello  P1/1 - Sig 05/12/2026 16:20:00", "57",
         "05/12/2026 16:20:00", "Hello  P1/1 - Sig 05/12/2026 16:20:00"},
        {"[ 57 ] 05/12/2026 16:20:00 +447700900123 hi", "57", "05/12/2026 16:20:00", "hi"},
        {"[5 7] 05/12/2026 16:20:00 +447700900123 hi", "57", "05/12/2026 16:20:00", "hi"},
        {"Processing::[8] 05/12/2026 16:20:00 +4477 a] [b] +1 c", "8", "05/12/2026 16:20:00",
         "a] [b] +1 c"},
        {"Accepted::[9] 05/12/2026 16:20:00 +33612345678 short number", "9", "05/12/2026 16:20:00",
         "short number"},
        {"[10] 05/12/2026 16:20:00 +4477009001234567 long number  ", "10", "05/12/2026 16:20:00",
         "long number"},
        {"[11] 5/1/2027 09:05:00 +447700 sched P1/1 5/1/2027 09:05:00", "11", "5/1/2027 09:05:00",
         "sched P1/1 5/1/2027 09:05:00"},
        {"no marks at all", "", "", ""},
        {"[12 unclosed +44 x", "", "", "x"},
        {"[13] +44", "13", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        const auto d = OutboxEntry::details(c.entry);
        EXPECT_EQ(d.id, c.id) << c.entry;
        EXPECT_EQ(d.dateTime, c.dateTime) << c.entry;
        EXPECT_EQ(d.message, c.message) << c.entry;
        EXPECT_EQ(d.length, QString(c.message).size()) << c.entry;
    }
}

TEST(OutboxEntry, IdsAreDecimalDigitsOnly) {
    EXPECT_EQ(OutboxEntry::id("[42] x"), 42);
    EXPECT_EQ(OutboxEntry::id("Accepted::[ 42 ] x"), 42);
    for (const char* bad : {"[] x", "[4a] x", "[-4] x", "no brackets", "]4[", "[1234567890123456]"})
        EXPECT_FALSE(OutboxEntry::id(bad).has_value()) << bad;
}
