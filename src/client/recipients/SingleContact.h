#pragma once

#include <QString>
#include <optional>

// The Single Contact fields turned into a Number List or frequently dialled
// entry, with the refusals the user is told about.
class SingleContact {
public:
    struct Fields {
        QString name;
        QString mobile;
        QString countryCode; // the country box's text
    };
    enum class Focus { None, Name, Mobile, CountryCode };
    struct Outcome {
        std::optional<QString> entry; // set when the entry can be added
        Focus focus = Focus::None;
        bool selectName = false;
        // Label weights to show; unset: leave as they are.
        std::optional<bool> nameBold;
        std::optional<bool> mobileBold;
    };

    // For the Number List: the name's letters are checked too.
    static Outcome AddSingleContact(const Fields& fields);
    // For the frequently dialled numbers: other texts, no letter check.
    static Outcome AddFrequentNumber(const Fields& fields);

    // A number beginning with "+" as it stands; any other made international
    // with the country box's code. nullopt once GetCountryCode told the user.
    static std::optional<QString> number(const QString& mobile, const QString& countryCode);

private:
    struct Texts {
        QString nameMissing;
        QString numberMissing;
    };
    static Outcome add(const Fields& fields, const Texts& texts);
};
