#pragma once

#include "support/ScriptedMessageBox.h"

// Each box shown as one line, "title|icon|text", a question ending in
// "|Yes/No*" (No the default): a whole dialogue is one expected list.
inline QStringList boxLines(const ScriptedMessageBox& boxes) {
    using M = MessageBox;
    const char* icons[] = {"", "info", "warn", "stop", "ask"};
    QStringList out;
    for (const M::Request& r : boxes.shown()) {
        QString line = r.title + '|' + icons[int(r.icon)] + '|' + r.text;
        if (r.buttons == M::Buttons::YesNo && r.defaultButton == M::Answer::No)
            line += "|Yes/No*";
        else if (r.buttons != M::Buttons::Ok || r.defaultButton != M::Answer::Ok)
            line +=
                QString("|buttons %1, default %2").arg(int(r.buttons)).arg(int(r.defaultButton));
        out << line;
    }
    return out;
}
// The usual warning's prefix.
inline const QString kWarn = QStringLiteral("Quorvel Warning|warn|");
