#pragma once

#include "common/MessageBox.h"
#include "support/FakeClock.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>

// A screen reader's toggle of a check box or option button: the state
// changes, and no click is emitted.
inline void toggleAccessibly(QWidget* button) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(button);
    ASSERT_TRUE(a && a->actionInterface());
    ASSERT_TRUE(
        a->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

// The control `name` of a window; a missing one fails the test.
template <typename W> W* child(const QObject& window, const char* name) {
    W* w = window.findChild<W*>(QString::fromLatin1(name));
    if (!w)
        ADD_FAILURE() << "no control named " << name;
    return w;
}

// A whole installation in a temporary folder, a fake clock and scripted
// message boxes: what every window test starts from.
class WidgetTest : public ::testing::Test {
protected:
    static QColor base(const QWidget* w) { return w->palette().color(QPalette::Base); }
    // The texts of a list or a drop-down, in order.
    template <typename View> static QStringList items(const View* view) {
        QStringList out;
        for (int i = 0; i < view->count(); ++i)
            out << view->model()->index(i, 0).data().toString();
        return out;
    }
    // Drops `text` on `target` as a drag from another program brings it.
    static void drop(QWidget* target, const QString& text) {
        QMimeData mime;
        mime.setText(text);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
    }
    // Types each character as a key press with that text, whatever its code.
    static void typeText(QWidget* w, const QString& text) {
        for (QChar ch : text) {
            if (ch.unicode() < 128)
                QTest::keyClick(w, char(ch.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
    // Runs `act` on the modal dialog of type D once its nested loop runs.
    template <typename D> static void onModal(std::function<void(D&)> act) {
        QTimer::singleShot(0, [act] {
            auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr) << "no modal dialog of the expected kind";
            act(*d);
        });
    }
    // Shows `w` as the active window, so focus moves as it does for a user.
    static void activate(QWidget* w) {
        w->show();
        QApplication::setActiveWindow(w);
    }

    TestInstallation inst;
    FakeClock clock{QDateTime(QDate(2026, 12, 5), QTime(16, 20, 0))};
    ScriptedMessageBox boxes;
};

// Runs `peek` at the moment each box is presented, while the window is in
// the state the user sees behind the box, then hands the box on to the
// presenter it replaced (the test's script records and answers it).
class PeekingMessageBox : public MessageBox::Presenter {
public:
    explicit PeekingMessageBox(std::function<void(const MessageBox::Request&)> peek)
        : m_peek(std::move(peek)), m_previous(MessageBox::install(this)) {}
    ~PeekingMessageBox() override { MessageBox::install(m_previous); }

    MessageBox::Answer present(const MessageBox::Request& request) override {
        m_peek(request);
        return m_previous ? m_previous->present(request) : request.defaultButton;
    }

private:
    std::function<void(const MessageBox::Request&)> m_peek;
    MessageBox::Presenter* m_previous;
};
