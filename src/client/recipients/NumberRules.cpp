#include "client/recipients/NumberRules.h"

namespace NumberRules {

QString digitsOnly(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c >= '0' && c <= '9')
            out += c;
    return out;
}

QString MakeInternationalNumber(const QString& digits, const QString& codeDigits) {
    QString s = digits;
    if (s.startsWith('0'))
        s = codeDigits + s.mid(1);
    if (!s.startsWith(codeDigits))
        s = codeDigits + s;
    if (s.startsWith(codeDigits + '0'))
        s.remove(codeDigits.size(), 1);
    return '+' + s;
}

void ValidateNumber(QString& number) {
    number = MakeInternationalNumber(digitsOnly(number), "44");
}

} // namespace NumberRules
