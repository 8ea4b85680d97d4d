#pragma once

#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/settings/ClientSettings.h"
#include "client/shell/ui/MainForm.h"
#include "support/FakeClock.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPalette>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.left(200).toStdString() << (s.size() > 200 ? "...\"" : "\"");
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (const QString& s : l) {
        PrintTo(s, os);
        *os << ' ';
    }
    *os << '}';
}

// Runs `peek` at the moment each box is presented, while the window is in
// the state the user sees behind the box, then hands the box on to the
// presenter it replaced (the fixture's script records and answers it).
class PeekingMessageBox : public MessageBox::Presenter {
public:
    explicit PeekingMessageBox(std::function<void(const MessageBox::Request&)> peek)
        : m_peek(std::move(peek)), m_previous(MessageBox::install(this)) {}
    ~PeekingMessageBox() override { MessageBox::install(m_previous); }
    PeekingMessageBox(const PeekingMessageBox&) = delete;
    PeekingMessageBox& operator=(const PeekingMessageBox&) = delete;

    MessageBox::Answer present(const MessageBox::Request& request) override {
        m_peek(request);
        return m_previous ? m_previous->present(request) : request.defaultButton;
    }

private:
    std::function<void(const MessageBox::Request&)> m_peek;
    MessageBox::Presenter* m_previous;
};

// A real main window on a whole installation in a temporary folder, shown
// and active so focus moves as it does for a user.
class MainFormFixture : public ::testing::Test {
protected:
    void SetUp() override {
        settings = ClientSettings::loadWithDefaults();
        form = std::make_unique<MainForm>(settings, inst.root(), inst.root());
        form->showOptionsWindow = [] { return true; };
    }
    void loadAndShow() {
        ASSERT_TRUE(form->load());
        form->show();
        QApplication::setActiveWindow(form.get());
        boxes.clear();
    }
    MainFormControls& c() { return form->controls(); }
    SendPanel& send() { return form->sendPanel(); }
    OutboxPanel& out() { return form->outboxPanel(); }

    static QColor base(QWidget* w) { return w->palette().color(QPalette::Base); }
    static QStringList items(QListWidget* l) {
        QStringList out;
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
        return out;
    }
    // Types each character as a key press with that text, whatever its code.
    static void typeText(QWidget* w, const QString& text) {
        for (QChar ch : text) {
            if (ch.unicode() < 128) {
                QTest::keyClick(w, char(ch.unicode()));
                continue;
            }
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w, &press);
            QApplication::sendEvent(w, &release);
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

    TestInstallation inst;
    FakeClock clock{QDateTime(QDate(2026, 12, 5), QTime(16, 20, 0))};
    ScriptedMessageBox boxes;
    ClientSettings settings;
    std::unique_ptr<MainForm> form;
};
