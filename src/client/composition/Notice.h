#pragma once

#include <QString>

// What a rule of the composition area tells the user, as a value: the rules
// decide the words, the window shows the box and acts on the answer.
struct Notice {
    enum class Icon { None, Information, Warning };

    static inline const QString kWarningTitle = QStringLiteral("Quorvel Warning");
    static inline const QString kPlainTitle = QStringLiteral("Quorvel");

    QString text;
    QString title = kWarningTitle;
    Icon icon = Icon::None;
    // Asked with Yes and No, No the default; otherwise told with OK.
    bool question = false;
};
