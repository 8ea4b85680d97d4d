#include "client/composition/SplitWarning.h"

#include "common/MessageBox.h"

void SplitWarning::ApplyLengthColour(long long total, int maxSmsLength,
                                     const std::function<void(Colour)>& paint) {
    if (total <= maxSmsLength) {
        paint(kWhite);
        return;
    }
    paint(kOrange);
    if (m_shown)
        return;
    // Set first: the box may let events run, and a second edit must not
    // show a second box.
    m_shown = true;
    MessageBox::show(text(maxSmsLength), kQuorvelWarning, MessageBox::Icon::Warning);
}

QString SplitWarning::text(int maxSmsLength) {
    return "Quorvel Subject + Message + Signature length is greater than " +
           QString::number(maxSmsLength) + " characters." + "\r\n" +
           "The message text will be broken into two or more messages.";
}
