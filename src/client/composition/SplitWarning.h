#pragma once

#include "common/Colour.h"

#include <QString>
#include <functional>

// The total counter's colour, and the warning that the text will go out as
// several messages: shown at most once per composed message.
class SplitWarning {
public:
    // What one message holds.
    static constexpr int kMaxSmsLength = 160;

    // Colours the total through `paint` (white up to the limit, orange above
    // it), then shows the warning the first time the total goes over the
    // limit: the user sees the orange total behind the box.
    void ApplyLengthColour(long long total, int maxSmsLength,
                           const std::function<void(Colour)>& paint);

    bool SplitWarningShown() const { return m_shown; }
    // A new message is being composed: the warning may appear again.
    void rearm() { m_shown = false; }

    static QString text(int maxSmsLength);

private:
    bool m_shown = false;
};
