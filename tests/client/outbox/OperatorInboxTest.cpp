#include "client/outbox/OperatorInbox.h"
#include "client/outbox/EventPacer.h"
#include "common/ExchangeFiles.h"
#include "support/FakeClock.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

TEST(OperatorInbox, OnlyTheModemRouteWritesTheInbox) {
    struct Case {
        int connectionType;
        QString operatorCode;
        QByteArray inbox;
    } cases[] = {
        {0, "CEL", "\r\n[1] a +44 x\r\n[2] b +44 y\r\n"},
        {2, "CEL", "\r\n[1] a +44 x\r\n[2] b +44 y\r\n"},
        {1, "CEL", "\r\n"},
        {-1, "CEL", "\r\n"},
        {0, "VOD", "\r\n"},
    };
    for (const Case& c : cases) {
        TestInstallation inst;
        EXPECT_TRUE(OperatorInbox::WriteToNOMInbox(inst.appPath(),
                                                   connectionTypeFromStored(c.connectionType),
                                                   c.operatorCode, {"[1] a +44 x", "[2] b +44 y"}));
        EXPECT_EQ(inst.bytes(ExchangeFiles::kInbox), c.inbox) << c.connectionType;
    }
}

TEST(EventPacer, EventsAreDueAfterASliceOfTimeOrOfWork) {
    FakeClock clock;
    EventPacer pacer(clock, 15, 10);
    EXPECT_FALSE(pacer.due(9));
    EXPECT_TRUE(pacer.due(1));
    pacer.restart();
    EXPECT_FALSE(pacer.due(1));
    clock.advanceMs(14);
    EXPECT_FALSE(pacer.due(0));
    clock.advanceMs(1);
    EXPECT_TRUE(pacer.due(0));
    pacer.restart();
    EXPECT_FALSE(pacer.due(0));
}
