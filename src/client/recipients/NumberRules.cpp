#include "client/recipients/NumberRules.h"

namespace NumberRules {

namespace {

bool isDigit(QChar c) {
    return c >= '0' && c <= '9';
}

bool isNameChar(QChar c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ';
}

} // namespace

QString digitsOnly(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (isDigit(c))
            out += c;
    return out;
}

QString MakeInternationalNumber(const QString& digits, const QString& codeDigits) {
    // The international access prefix: the number carries its own code.
    if (digits.size() > 2 && digits.startsWith(QStringLiteral("00")))
        return '+' + digits.mid(2);
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
    number = MakeInternationalNumber(digitsOnly(dropTrunkPrefix(number)), "44");
}

QString dropTrunkPrefix(const QString& text) {
    const QString t = text.trimmed();
    if (!t.startsWith('+') && !t.startsWith(QStringLiteral("00")))
        return text;
    return QString(text).remove(QStringLiteral("(0)"));
}

QString countryCodeRefusal(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QStringLiteral("Country code cannot be empty");
    const qsizetype plus = t.indexOf('+');
    const QString digits = plus < 0 ? QString() : t.mid(plus + 1);
    // Digits only: the code goes into the number as it stands.
    if (digits.isEmpty() || digitsOnly(digits) != digits)
        return QStringLiteral("Country code must begin with + sign followed by numbers");
    return QString();
}

bool isNameText(const QString& text) {
    for (QChar c : text)
        if (!isNameChar(c))
            return false;
    return true;
}

QString cleanName(const QString& text) {
    qsizetype n = 0;
    while (n < text.size() && isNameChar(text[n]))
        ++n;
    return text.left(n);
}

QString filterMobile(const QString& text) {
    const QString t = dropTrunkPrefix(text).trimmed();
    QString out;
    out.reserve(t.size());
    for (qsizetype i = 0; i < t.size(); ++i)
        if (isDigit(t[i]) || (i == 0 && t[i] == '+'))
            out += t[i];
    return out;
}

bool countryCodeEnabledFor(const QString& mobile) {
    const QString t = mobile.trimmed();
    return t.isEmpty() || !t.startsWith('+');
}

bool mobileKeyAccepted(QChar key, int caret) {
    constexpr char16_t kBackspace = 8;
    constexpr char16_t kCtrlV = 22;
    return isDigit(key) || key == kBackspace || key == kCtrlV || (key == '+' && caret == 0);
}

std::optional<QChar> typedCharacter(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    switch (key) {
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }
    if (modifiers & (Qt::ControlModifier | Qt::MetaModifier) || text.isEmpty())
        return std::nullopt;
    return text[0];
}

} // namespace NumberRules
