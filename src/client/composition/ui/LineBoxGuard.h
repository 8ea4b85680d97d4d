#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;

// Keeps a one-line text box to the character rules however text arrives.
// Typed characters are judged before they land: barred ones vanish, others
// outside the rules give the ASCII message. Text arriving any other way
// (paste by any means, drop, input method) is cleaned: barred characters
// dropped, line breaks made spaces; when it brings a character the rules
// refuse, the message is shown and the box gets back its text from before,
// with the caret where it was. Text the program sets is cleaned the same way
// but never refused: the focus-loss checks report it.
class LineBoxGuard : public QObject {
    Q_OBJECT
public:
    LineBoxGuard(QLineEdit* box, QString asciiTitle, QObject* parent = nullptr);

    // Runs at every key-down, before the key is judged.
    std::function<void()> keyDown;
    // A further rule for a typed character, run after the character test with
    // its code (0 when the test refused it); false drops the key.
    std::function<bool(int code)> furtherKeyRule;

    // The judgement of one typed character; false: the key is dropped.
    bool keyPress(QChar c);

signals:
    // The box's text changed and keeps to the rules.
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTextChanged(const QString& text);

    QLineEdit* m_box;
    QString m_title;
    QString m_accepted;
    int m_acceptedCursor = 0;
    bool m_busy = false;
    bool m_userEdit = false;
};
