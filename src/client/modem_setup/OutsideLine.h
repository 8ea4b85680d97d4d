#pragma once

#include "common/Notice.h"

#include <QString>
#include <optional>

// The outside-line prefix as the connection dialog holds it: the check box,
// the text in the prefix box, and the prefix number (-1: none set).
struct OutsideLine {
    // chkOutsideNo.
    bool ticked = false;
    // txtOutsideNumber.
    QString text;
    int prefix = -1;
    // OUT_DIAL_OPTION as stored: 1 dials the prefix.
    int savedOption = 0;

    // Loads the box from the stored values, as the dialog does when shown.
    void fillFromSaved();
    // The number in the prefix box; -1 when it holds none, or one too large
    // to store.
    static int numberIn(const QString& text);
    // Only digits and Backspace may be typed into the prefix box.
    static bool acceptsKey(int keyAscii);
    // The longest prefix that can be stored.
    static constexpr int kMaxLength = 5;
    // With the box ticked, a blank prefix or one that is no number from 0 to
    // 32767 is refused: it would be dialled without the prefix while the box
    // says otherwise.
    std::optional<Notice> refusal() const;
    // Label5's caption for the state of the check box.
    static QString label5Caption(bool ticked);

    // What is dialled for the SMSC number: the prefix, the modem's pause and
    // the number when the box is ticked and a prefix is set, otherwise "+"
    // and the number.
    QString dialString(const QString& smscNumber) const;
};
