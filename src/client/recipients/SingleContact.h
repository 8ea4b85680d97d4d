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
    // What the window does, in this order: set the label weights, show the
    // message, select the name, move the focus; then add the entry if any.
    struct Outcome {
        std::optional<QString> entry; // set when the entry can be added
        // Label weights to show; unset: leave as they are.
        std::optional<bool> nameBold;
        std::optional<bool> mobileBold;
        // The refusal to show (warning, "Quorvel Warning"); empty: none.
        QString message;
        bool selectName = false;
        Focus focus = Focus::None;
    };

    // For the Number List: the name's letters are checked too.
    static Outcome AddSingleContact(const Fields& fields);
    // For the frequently dialled numbers: other texts, no letter check.
    static Outcome AddFrequentNumber(const Fields& fields);

    // A number beginning with "+" as it stands; any other made international
    // with the country box's code. nullopt when the code cannot be used, with
    // the reason in `refusal`.
    static std::optional<QString> number(const QString& mobile, const QString& countryCode,
                                         QString& refusal);

private:
    struct Texts {
        QString nameMissing;
        QString numberMissing;
    };
    static Outcome add(const Fields& fields, const Texts& texts);
};
