#pragma once

#include "common/MessageBox.h"

#include <QList>
#include <deque>

// Records every message box shown and answers from a script; a box with no
// scripted answer gets its default button. Installs itself for its lifetime.
class ScriptedMessageBox : public MessageBox::Presenter {
public:
    ScriptedMessageBox();
    ~ScriptedMessageBox() override;

    MessageBox::Answer present(const MessageBox::Request& request) override;

    void answerNext(MessageBox::Answer a) { m_answers.push_back(a); }
    const QList<MessageBox::Request>& shown() const { return m_shown; }
    QStringList texts() const;
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
