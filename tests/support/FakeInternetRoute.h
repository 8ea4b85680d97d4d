#pragma once

#include "client/outbox/InternetRoute.h"

// Counts the hand-overs to the web route instead of making them.
struct FakeInternetRoute : InternetRoute {
    void submitOutbox() override { ++submitted; }
    int submitted = 0;
};
