#include "client/recipients/SingleContact.h"

#include "client/recipients/NumberEntry.h"
#include "client/recipients/NumberRules.h"
#include "common/MessageBox.h"

namespace {

void warn(const QString& text) {
    MessageBox::show(text, kQuorvelWarning, MessageBox::Icon::Warning);
}

} // namespace

SingleContact::Outcome SingleContact::AddSingleContact(const Fields& fields) {
    if (!NumberRules::isNameText(fields.name)) {
        warn("The Name must only consist of letters");
        Outcome o;
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
        o.focus = Focus::Name;
        warn(texts.nameMissing);
        return o;
    }
    o.nameBold = false;
    // A lone "+" holds no number: it counts as missing, or the list would get
    // an entry its own loader refuses.
    if (NumberRules::digitsOnly(fields.mobile).isEmpty()) {
        o.mobileBold = true;
        o.focus = Focus::Mobile;
        warn(texts.numberMissing);
        return o;
    }
    o.mobileBold = false;
    const auto n = number(fields.mobile, fields.countryCode);
    if (!n) {
        o.focus = Focus::CountryCode;
        return o;
    }
    o.entry = NumberEntry::make(fields.name, *n);
    return o;
}

std::optional<QString> SingleContact::number(const QString& mobile, const QString& countryCode) {
    if (mobile.startsWith('+'))
        return mobile;
    const QString digits = NumberRules::digitsOnly(mobile);
    QString code = NumberRules::GetCountryCode(countryCode);
    if (code == NumberRules::kError)
        return std::nullopt;
    if (code.startsWith('+'))
        code.remove(0, 1);
    return NumberRules::MakeInternationalNumber(digits, code);
}
