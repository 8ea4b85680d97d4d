#include "ModemReadiness.h"

namespace {
enum State {
    Locked = 2,
    Disabled = 3,
    Enabling = 5,
    Enabled = 6,
    Searching = 7,
    Registered = 8,
    Connected = 11
};

// Home, roaming, and their SMS-only and CSFB-not-preferred forms: each carries SMS.
bool registered(unsigned registration) {
    switch (registration) {
    case 1:
    case 5:
    case 6:
    case 7:
    case 9:
    case 10:
        return true;
    default:
        return false;
    }
}
} // namespace

ModemReadiness modemReadiness(int state, unsigned registration) {
    if (state == Locked)
        return ModemReadiness::Locked;
    if (state >= Disabled && state <= Enabling)
        return ModemReadiness::Disabled;
    // The modem's own state can lag its registration: an SMS-only registration
    // leaves it "enabled", and that still sends.
    if (state == Enabled || state == Searching)
        return registered(registration) ? ModemReadiness::Ready : ModemReadiness::NotRegistered;
    if (state >= Registered && state <= Connected)
        return ModemReadiness::Ready;
    return ModemReadiness::Unusable;
}

DeliveryOutcome deliveryOutcome(unsigned deliveryState) {
    if (deliveryState < 0x20)
        return DeliveryOutcome::Delivered;
    if (deliveryState < 0x40)
        return DeliveryOutcome::Pending;
    return DeliveryOutcome::Failed;
}
