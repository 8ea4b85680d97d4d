#pragma once

#include "common/Colour.h"

#include <QString>

// What Send takes from the message editor, and what it does to the editor.
class ComposedMessageSource {
public:
    virtual ~ComposedMessageSource() = default;

    // The editor's own replacement of line breaks by spaces, which otherwise
    // runs when the focus leaves the box (it may never have left it).
    virtual void replaceLineBreaks() = 0;
    virtual QString subject() const = 0;
    virtual QString message() const = 0;
    // The "Signature" switch.
    virtual bool signatureOn() const = 0;
    // The message box at fault (orange) or passing again (white).
    virtual void colourMessage(Colour colour) = 0;
    // Once the message is in the outbox, the editor is emptied for the next one.
    virtual void clearForNextMessage() = 0;
};
