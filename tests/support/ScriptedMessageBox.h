#pragma once

#include "common/MessageBox.h"

#include <QList>
#include <QStringList>
#include <deque>

// Records every message box shown and answers from a script; a box with no
// scripted answer gets its default button. Installs itself for its lifetime.
class ScriptedMessageBox : public MessageBox::Presenter {
public:
    ScriptedMessageBox() : m_previous(MessageBox::install(this)) {}
    ~ScriptedMessageBox() override { MessageBox::install(m_previous); }

    MessageBox::Answer present(const MessageBox::Request& request) override {
        m_shown.append(request);
        if (m_answers.empty())
            return request.defaultButton;
        const MessageBox::Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }

    void answerNext(MessageBox::Answer a) { m_answers.push_back(a); }
    const QList<MessageBox::Request>& shown() const { return m_shown; }
    QStringList texts() const {
        QStringList t;
        for (const auto& r : m_shown)
            t << r.text;
        return t;
    }
    const MessageBox::Request& last() const { return m_shown.last(); }
    bool lastIs(const QString& title, MessageBox::Icon icon) const {
        return last().title == title && last().icon == icon;
    }
    void clear() { m_shown.clear(); }

private:
    MessageBox::Presenter* m_previous;
    std::deque<MessageBox::Answer> m_answers;
    QList<MessageBox::Request> m_shown;
};
