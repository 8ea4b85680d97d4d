#include "mobile/ModemReadiness.h"

#include <gtest/gtest.h>

namespace {
using R = ModemReadiness;

TEST(ModemReadiness, FollowsStateAndRegistration) {
    // ModemManager's state, 3GPP registration state, what it means for sending.
    const struct {
        int state;
        unsigned registration;
        ModemReadiness readiness;
    } cases[] = {
        {-1, 1, R::Unusable},     {0, 1, R::Unusable},      {1, 1, R::Unusable},
        {2, 0, R::Locked},        {3, 1, R::Disabled},      {4, 1, R::Disabled},
        {5, 1, R::Disabled},      {6, 0, R::NotRegistered}, {6, 3, R::NotRegistered},
        {7, 2, R::NotRegistered}, {7, 4, R::NotRegistered}, {7, 8, R::NotRegistered},
        {6, 1, R::Ready},         {6, 5, R::Ready},         {6, 6, R::Ready},
        {7, 7, R::Ready},         {7, 9, R::Ready},         {7, 10, R::Ready},
        {8, 1, R::Ready},         {9, 5, R::Ready},         {10, 1, R::Ready},
        {11, 4, R::Ready},        {12, 1, R::Unusable},     {6, 11, R::NotRegistered},
    };
    for (const auto& c : cases)
        EXPECT_EQ(modemReadiness(c.state, c.registration), c.readiness)
            << c.state << " " << c.registration;
}

TEST(ModemReadiness, DeliveryStateBounds) {
    const struct {
        unsigned deliveryState;
        DeliveryOutcome outcome;
    } cases[] = {
        {0x00, DeliveryOutcome::Delivered}, {0x1F, DeliveryOutcome::Delivered},
        {0x20, DeliveryOutcome::Pending},   {0x3F, DeliveryOutcome::Pending},
        {0x40, DeliveryOutcome::Failed},    {0x100, DeliveryOutcome::Failed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(deliveryOutcome(c.deliveryState), c.outcome) << c.deliveryState;
}
} // namespace
