#include "client/recipients/SingleContact.h"

#include "client/recipients/NumberEntry.h"
#include "client/recipients/NumberRules.h"

SingleContact::Outcome SingleContact::AddSingleContact(const Fields& fields) {
    if (!NumberRules::isNameText(fields.name)) {
        Outcome o;
        o.message = QStringLiteral("The Name must only consist of letters");
        o.focus = Focus::Name;
        o.selectName = true;
        return o;
    }
    return add(fields, {"Please enter a Name        ", "Please enter a Number      "});
}

SingleContact::Outcome SingleContact::AddFrequentNumber(const Fields& fields) {
    return add(fields, {"Please select a Name        ", "Please enter a Number        "});
}

SingleContact::Outcome SingleContact::add(const Fields& fields, const Texts& texts) {
    Outcome o;
    if (fields.name.isEmpty()) {
        o.nameBold = true;
        o.message = texts.nameMissing;
        o.focus = Focus::Name;
        return o;
    }
    o.nameBold = false;
    // A lone "+" holds no number: it counts as missing, or the list would get
    // an entry its own loader refuses.
    if (NumberRules::digitsOnly(fields.mobile).isEmpty()) {
        o.mobileBold = true;
        o.message = texts.numberMissing;
        o.focus = Focus::Mobile;
        return o;
    }
    o.mobileBold = false;
    const auto n = number(fields.mobile, fields.countryCode, o.message);
    if (!n) {
        o.focus = Focus::CountryCode;
        return o;
    }
    o.entry = NumberEntry::make(fields.name, *n);
    return o;
}

std::optional<QString> SingleContact::number(const QString& mobile, const QString& countryCode,
                                             QString& refusal) {
    if (mobile.startsWith('+'))
        return mobile;
    refusal = NumberRules::countryCodeRefusal(countryCode);
    if (!refusal.isEmpty())
        return std::nullopt;
    const QString code = countryCode.trimmed();
    // Digits only: the "+" is put back in front of the whole number.
    return NumberRules::MakeInternationalNumber(NumberRules::digitsOnly(mobile),
                                                code.mid(code.indexOf('+') + 1));
}
