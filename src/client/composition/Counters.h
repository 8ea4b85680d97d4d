#pragma once

#include <QString>

// The arithmetic of the three character counters: signature, message
// (subject and message) and total.
namespace Counters {

struct Values {
    long long message = 0; // the Message counter
    long long total = 0;   // the Total counter
};

// After an edit of the subject or the message: a non-empty subject also
// counts the two parentheses put around it in front of the message.
Values afterEdit(qsizetype subjectLength, qsizetype messageLength, long long signature);
// At start-up and when the signature is switched: without the parentheses.
long long plainTotal(qsizetype subjectLength, long long signature, qsizetype messageLength);
// After the signature dialog is accepted with the signature on: the message
// counter plus the signature (the signature alone when the counter is empty).
long long totalAfterSignatureAccept(const QString& messageCounter, long long signature);
// What the signature adds to each message once accepted in the dialog.
long long signatureAfterAccept(bool pageInfo, const QString& text);

// The number a counter's text shows.
long long value(const QString& counterText);

} // namespace Counters
