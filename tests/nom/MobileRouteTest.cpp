// What a mobile modem's answers become, and which sent message a delivery
// report is about.
#include "nom/MobileRoute.h"
#include "nom/SentReferences.h"

#include <gtest/gtest.h>

namespace {

using Kind = MobileSendResult::Kind;

TEST(MobileRoute, EachWayASendEndsIsAFailureKindWithItsStatusLine) {
    const struct {
        Kind kind;
        Failure failure;
        const char* status;
    } cases[] = {
        {Kind::Accepted, Failure::None, ""},
        {Kind::NoModem, Failure::MobileMissing, "Mobile modem not found"},
        {Kind::Unusable, Failure::MobileUnusable, "Mobile modem not ready"},
        {Kind::Locked, Failure::MobileLocked, "Mobile modem SIM locked"},
        {Kind::Disabled, Failure::MobileDisabled, "Mobile modem disabled"},
        {Kind::NotRegistered, Failure::NotRegistered, "Mobile modem not registered on a network"},
        {Kind::Rejected, Failure::NetworkRejected, "Message refused by the network"},
        {Kind::TimedOut, Failure::SendTimedOut, "Timed out waiting for the mobile modem"},
        {Kind::Gone, Failure::MobileGone,
         "Mobile modem gone while sending: the message may have been sent; it will be sent "
         "again"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mobileFailure(c.kind), c.failure) << c.status;
        EXPECT_EQ(statusText(c.failure), c.status);
    }
    EXPECT_EQ(mobileFailure(ModemReadiness::Ready), Failure::None);
    EXPECT_EQ(mobileFailure(ModemReadiness::Unusable), Failure::MobileUnusable);
    EXPECT_EQ(mobileFailure(ModemReadiness::Locked), Failure::MobileLocked);
    EXPECT_EQ(mobileFailure(ModemReadiness::Disabled), Failure::MobileDisabled);
    EXPECT_EQ(mobileFailure(ModemReadiness::NotRegistered), Failure::NotRegistered);
}

// References are 8-bit and repeat: the newest send within 7 days with the
// same reference and number, whatever its place in the file.
TEST(SentReferences, AReportIsForTheNewestRecentSendWithItsReferenceAndNumber) {
    const QDateTime now(QDate(2026, 12, 7), QTime(18, 55, 1));
    const auto sent = [&](qint64 id, unsigned ref, const char* number, qint64 secsAgo) {
        return SentReferences::Sent{id, ref, number, now.addSecs(-secsAgo)};
    };
    const qint64 day = 24 * 3600;
    const QList<SentReferences::Sent> all{
        sent(1, 37, "+447700900001", 7 * day),      sent(2, 37, "+447700900001", 2 * day),
        sent(3, 37, "+447700900001", 3600),         sent(8, 37, "+447700900001", 3 * day),
        sent(4, 37, "+447700900002", 600),          sent(5, 0, "+447700900001", 60),
        sent(6, 255, "+447700900001", 7 * day - 1),
    };
    const struct {
        unsigned reference;
        const char* number;
        std::optional<qint64> id;
    } cases[] = {
        {37, "+447700900001", 3},  {37, "447700900001", 3}, {37, "+447700900002", 4},
        {37, "+447700900003", {}}, {0, "+447700900001", 5}, {255, "+447700900001", 6},
        {36, "+447700900001", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SentReferences::match(all, c.reference, c.number, now), c.id)
            << c.reference << ' ' << c.number;
    EXPECT_EQ(SentReferences::match(all.mid(0, 1), 37, "+447700900001", now), std::nullopt);

    const QString line = "[12] 37 +447700900123 07/12/2026 18:55:01";
    const auto parsed = SentReferences::parse(line);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(SentReferences::line(*parsed), line);
    for (const char* bad : {"[12] 37 +447700900123 07/12/20", "[12] 256 +44 07/12/2026 18:55:01",
                            "[x] 37 +44 07/12/2026 18:55:01"})
        EXPECT_FALSE(SentReferences::parse(bad)) << bad;
}

} // namespace
