#pragma once

#include "common/Colour.h"

#include <QStringList>

// What Send takes from the Number List, and what it does to the list.
class RecipientSource {
public:
    virtual ~RecipientSource() = default;

    virtual int numberListCount() const = 0;
    // The checked entries, in list order.
    virtual QStringList checkedEntries() const = 0;
    // The list at fault (orange) or passing again (white).
    virtual void colourNumberList(Colour colour) = 0;
};
