#include "client/outbox/OutboxEntry.h"

#include <gtest/gtest.h>

// Entries as Send makes them read back whole (fuzz_entry, and the details
// window in the panel tests), ids as the id counter reads them; here the damaged ones.
TEST(OutboxEntry, DetailsFindThePiecesByTheirFirstMarks) {
    struct Case {
        const char* entry;
        const char* id;
        const char* dateTime;
        const char* message;
    } cases[] = {
        {"[5 7] 05/12/2026 16:20:00 +447700900123 hi", "57", "05/12/2026 16:20:00", "hi"},
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
