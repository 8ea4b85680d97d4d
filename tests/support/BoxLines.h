#pragma once

#include "common/Notice.h"
#include "support/ScriptedMessageBox.h"

#include <optional>

// Each box shown as one line, "title|icon|text", a question ending in
// "|Yes/No*" (No the default): a whole dialogue is one expected list.
inline QString boxLine(const QString& title, int icon, const QString& text) {
    const char* icons[] = {"", "info", "warn", "stop", "ask"};
    return title + '|' + icons[icon] + '|' + text;
}

inline QStringList boxLines(const ScriptedMessageBox& boxes) {
    using M = MessageBox;
    QStringList out;
    for (const M::Request& r : boxes.shown()) {
        QString line = boxLine(r.title, int(r.icon), r.text);
        if (r.buttons == M::Buttons::YesNo && r.defaultButton == M::Answer::No)
            line += "|Yes/No*";
        else if (r.buttons != M::Buttons::Ok || r.defaultButton != M::Answer::Ok)
            line +=
                QString("|buttons %1, default %2").arg(int(r.buttons)).arg(int(r.defaultButton));
        out << line;
    }
    return out;
}

// What a rule says, in the line of the box that shows it; empty for nothing.
inline QString boxLine(const std::optional<Notice>& n) {
    if (!n)
        return {};
    return boxLine(n->title, int(n->mark), n->text) + (n->asks ? "|Yes/No*" : "");
}

// The usual warning's prefix.
inline const QString kWarn = QStringLiteral("Quorvel Warning|warn|");
