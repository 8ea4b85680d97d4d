#include "client/composition/ui/LineBoxGuard.h"

#include "client/composition/CharacterRules.h"
#include "client/composition/ui/TypedKey.h"
#include "common/MessageBox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <utility>

using namespace CharacterRules;

LineBoxGuard::LineBoxGuard(QLineEdit* box, QString asciiTitle, QObject* parent)
    : QObject(parent), m_box(box), m_title(std::move(asciiTitle)), m_accepted(box->text()),
      m_acceptedCursor(box->cursorPosition()) {
    box->installEventFilter(this);
    // textEdited comes just before textChanged, and only for the user's edits.
    connect(box, &QLineEdit::textEdited, this, [this] { m_userEdit = true; });
    connect(box, &QLineEdit::textChanged, this, &LineBoxGuard::onTextChanged);
    // Emitted after textChanged, so at a change this still holds the caret of before.
    connect(box, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
        if (!m_busy)
            m_acceptedCursor = now;
    });
}

bool LineBoxGuard::keyPress(QChar c) {
    const Verdict v = typed(c);
    if (v == Verdict::Drop)
        return false;
    int code = c.unicode();
    if (v == Verdict::Refuse) {
        MessageBox::show(kAsciiOnly, m_title, MessageBox::Icon::Information);
        code = 0;
    }
    const bool further = !furtherKeyRule || furtherKeyRule(code);
    return v == Verdict::Accept && further;
}

bool LineBoxGuard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_box && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (keyDown)
            keyDown();
        // A one-line box never takes CR as a character; Enter itself goes on
        // to the window, whose default button it presses.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return false;
        if (const auto c = TypedKey::character(*key))
            return !keyPress(*c);
    }
    return QObject::eventFilter(watched, event);
}

void LineBoxGuard::onTextChanged(const QString& text) {
    if (m_busy)
        return;
    const bool byUser = std::exchange(m_userEdit, false);
    const Pasted clean = cleanPasted(text, LineBreaks::Space);
    if (clean.refused && byUser) {
        MessageBox::show(kAsciiOnly, m_title, MessageBox::Icon::Information);
        m_busy = true;
        m_box->setText(m_accepted);
        m_box->setCursorPosition(m_acceptedCursor);
        m_busy = false;
    } else if (clean.text != text) {
        // Text the program sets is cleaned too, but what it refuses is left
        // for the focus-loss check to report.
        const int caret =
            int(cleanPasted(text.left(m_box->cursorPosition()), LineBreaks::Space).text.size());
        m_busy = true;
        m_box->setText(clean.text);
        m_box->setCursorPosition(caret);
        m_busy = false;
    }
    m_accepted = m_box->text();
    m_acceptedCursor = m_box->cursorPosition();
    emit changed();
}
