#pragma once

// Send Queue in the Internet connection hands the outbox to the web route;
// the Internet area implements it.
class InternetRoute {
public:
    virtual ~InternetRoute() = default;
    virtual void submitOutbox() = 0;
};
