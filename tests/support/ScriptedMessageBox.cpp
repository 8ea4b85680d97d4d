#include "support/ScriptedMessageBox.h"

#include <QStringList>

ScriptedMessageBox::ScriptedMessageBox() : m_previous(MessageBox::install(this)) {}

ScriptedMessageBox::~ScriptedMessageBox() {
    MessageBox::install(m_previous);
}

MessageBox::Answer ScriptedMessageBox::present(const MessageBox::Request& request) {
    m_shown.append(request);
    if (m_answers.empty())
        return request.defaultButton;
    const MessageBox::Answer a = m_answers.front();
    m_answers.pop_front();
    return a;
}

QStringList ScriptedMessageBox::texts() const {
    QStringList t;
    for (const auto& r : m_shown)
        t << r.text;
    return t;
}
