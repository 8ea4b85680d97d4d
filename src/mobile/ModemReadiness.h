#pragma once

// Whether a mobile modem can send now, judged from what ModemManager says of it.
enum class ModemReadiness {
    Ready,
    Unusable, // failed, unknown or still initializing
    Locked,   // the SIM wants a PIN or PUK
    Disabled, // switched off, or switching on or off
    NotRegistered,
};

// `state` is the modem's State (failed -1 … connected 11), `registration` its
// 3GPP RegistrationState.
ModemReadiness modemReadiness(int state, unsigned registration);

// What a status report's DeliveryState says of the message.
enum class DeliveryOutcome { Delivered, Pending, Failed };

DeliveryOutcome deliveryOutcome(unsigned deliveryState);
