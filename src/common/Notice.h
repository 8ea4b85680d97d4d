#pragma once

#include <QString>
#include <optional>

// What a rule has to tell the user, as a value: the rule decides the words,
// the window shows the box (MessageBox::tell) and acts on the answer. A
// question is answered Yes or No (No the default unless `yesByDefault`); the
// rule learns the answer through a second call.
struct Notice {
    enum class Mark { None, Information, Warning, Stop, Question };

    static inline const QString kWarningTitle = QStringLiteral("Quorvel Warning");
    static inline const QString kPlainTitle = QStringLiteral("Quorvel");

    QString text;
    QString title = kWarningTitle;
    Mark mark = Mark::Warning;
    bool asks = false;
    bool yesByDefault = false;

    bool operator==(const Notice&) const = default;
};

// A rule's result and what it has to say about it.
template <class T> struct WithNotice {
    T value;
    std::optional<Notice> notice;
};
