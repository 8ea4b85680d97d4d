#include "client/composition/SplitWarning.h"

SplitWarning::Check SplitWarning::check(long long total, int maxSmsLength) {
    if (total <= maxSmsLength)
        return {kWhite, std::nullopt};
    if (m_given)
        return {kOrange, std::nullopt};
    // Given once, before it is shown: the box may let events run, and a
    // second edit must not show a second box.
    m_given = true;
    return {kOrange, Notice{text(maxSmsLength), Notice::kWarningTitle, Notice::Mark::Warning}};
}

QString SplitWarning::text(int maxSmsLength) {
    return "Quorvel Subject + Message + Signature length is greater than " +
           QString::number(maxSmsLength) + " characters." + "\r\n" +
           "The message text will be broken into two or more messages.";
}
