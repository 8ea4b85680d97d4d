#include "common/Val.h"

long long leadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < n && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        if (value > (1LL << 60))
            break; // absurdly long digit runs saturate rather than overflow
        value = value * 10 + (text[i].unicode() - '0');
    }
    return negative ? -value : value;
}
