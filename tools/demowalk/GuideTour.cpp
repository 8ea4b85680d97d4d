// The user guide's tour: the dialogs the plain walk passes by, every message
// box and Brindle's own window, each pictured.
#include "GuideTour.h"
#include "DemoWalk.h"

#include "client/outbox/MessageLists.h"
#include "client/outbox/ui/DeliveryController.h"
#include "client/outbox/ui/MessageListWindow.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/shell/ui/MainForm.h"
#include "common/InstallPath.h"
#include "common/Installation.h"
#include "common/LineFile.h"
#include "ui/QtMessageBoxPresenter.h"

#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include <xcb/xcb.h>

#include <set>

namespace {

// Shows every box as the program does, saves a picture of each new text once
// and answers it with its default button; the walk's own presenter still
// prints it.
class ShootingBoxes : public MessageBox::Presenter {
public:
    explicit ShootingBoxes(DemoWalk& walk) : m_walk(walk), m_previous(MessageBox::install(this)) {}
    ~ShootingBoxes() override { MessageBox::install(m_previous); }
    ShootingBoxes(const ShootingBoxes&) = delete;
    ShootingBoxes& operator=(const ShootingBoxes&) = delete;

    MessageBox::Answer present(const MessageBox::Request& r) override {
        if (m_previous)
            m_previous->present(r);
        if (!m_shot.insert(r.text).second)
            return r.defaultButton;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            poll.stop();
            m_walk.shot(box, "box-" + slug(r.text));
            if (QAbstractButton* b =
                    box->defaultButton() ? box->defaultButton() : box->buttons().value(0))
                b->click();
        });
        poll.start();
        return QtMessageBoxPresenter().present(r);
    }

private:
    // The first words of the text, as a file name.
    static QString slug(const QString& text) {
        QString out;
        for (const QChar c : text.simplified().toLower()) {
            if (c.isLetterOrNumber())
                out += c;
            else if (!out.endsWith('-'))
                out += '-';
            if (out.size() >= 40)
                break;
        }
        while (out.endsWith('-'))
            out.chop(1);
        return out;
    }

    DemoWalk& m_walk;
    MessageBox::Presenter* m_previous;
    std::set<QString> m_shot;
};

} // namespace

// Brindle is a program of its own: its window is found on the X screen by its
// title and grabbed from there.
QPixmap grabForeignWindow(const QByteArray& title) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return {};
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(c, xcb_query_tree(c, screen->root), nullptr);
    if (!tree)
        return {};
    QPixmap picture;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && picture.isNull(); ++i) {
        xcb_get_property_reply_t* name = xcb_get_property_reply(
            c,
            xcb_get_property(c, 0, children[i], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
            nullptr);
        xcb_get_window_attributes_reply_t* attr =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
        if (name && attr && attr->map_state == XCB_MAP_STATE_VIEWABLE &&
            QByteArray(static_cast<const char*>(xcb_get_property_value(name)),
                       xcb_get_property_value_length(name)) == title)
            picture = QGuiApplication::primaryScreen()->grabWindow(children[i]);
        free(name);
        free(attr);
    }
    free(tree);
    return picture;
}

std::unique_ptr<MessageBox::Presenter> shootEveryBox(DemoWalk& walk) {
    return std::make_unique<ShootingBoxes>(walk);
}

bool DemoWalk::showComposerDialogs() {
    MainForm& form = *mainForm();
    const bool quick = onModal(form.findChild<QToolButton*>("picQuickMsg"), [this](QDialog& d) {
        auto* text = d.findChild<QLineEdit*>("txtQuickMessage");
        text->setFocus();
        QTest::keyClicks(text, "Running late, back in ten minutes");
        d.findChild<QToolButton*>("picAdd")->click();
        QTest::keyClicks(text, "Call me when you can");
        shot(&d, "quick-message-dialog");
        d.findChild<QPushButton*>("cmdOk")->click();
    });
    if (!quick)
        return fail("the quick message dialog did not open");
    const bool signature = onModal(form.findChild<QToolButton*>("Picture10"), [this](QDialog& d) {
        shot(&d, "signature-dialog");
        d.reject();
    });
    return signature || fail("the signature dialog did not open");
}

bool DemoWalk::showGroups() {
    bool inner = false;
    const bool manager = onModal(mainForm()->findChild<QToolButton*>("Picture2"), [&](QDialog& g) {
        const bool named = onModal(g.findChild<QToolButton*>("Picture1"), [this](QDialog& n) {
            auto* name = n.findChild<QLineEdit*>("Text1");
            name->setFocus();
            QTest::keyClicks(name, "Team");
            shot(&n, "group-name-dialog");
            n.findChild<QPushButton*>("Command1")->click();
        });
        const bool added = onModal(g.findChild<QPushButton*>("Command5"), [this](QDialog& a) {
            auto* name = a.findChild<QLineEdit*>("Text1");
            name->setFocus();
            QTest::keyClicks(name, "Sam Field");
            auto* mobile = a.findChild<QLineEdit*>("Text3");
            mobile->setFocus();
            QTest::keyClicks(mobile, "07700900789");
            shot(&a, "group-add-number-dialog");
            a.findChild<QPushButton*>("Command1")->click();
        });
        inner = named && added;
        g.findChild<QPushButton*>("Command22")->click();
        g.findChild<QToolButton*>("Picture3")->click();
        shot(&g, "group-manager");
        g.findChild<QPushButton*>("Command2")->click();
    });
    return (manager && inner) || fail("the group manager or its dialogs did not open");
}

bool DemoWalk::showFailedMessages() {
    // A run that gave up leaves its unsent entries in Brindle.rcv. The demo's
    // centre takes everything, so the view is shown on one such entry put
    // there for the picture and taken away again.
    const QString carried = mainForm()->installation().file(MessageLists::kFailedFile);
    const QStringList accepted =
        LineFile::readAll(mainForm()->installation().file("Config\\AccpMsgs.dat"));
    if (accepted.isEmpty())
        return fail("nothing was accepted to model a failed entry on");
    QStringList fields = accepted.first().mid(QStringLiteral("Accepted::").size()).split(' ');
    fields = fields.mid(0, 3) << "+447700900999"
                              << "(Demo) Meeting moved to 3pm";
    const std::optional<QStringList> before = LineFile::tryReadAll(carried);
    LineFile::append(carried, fields.join(' '));
    bool ok = false;
    mainForm()->sendPanel().delivery().showList = [&](MessageListWindow& w) {
        w.show();
        w.activate();
        ok = w.findChild<QListWidget*>("List1")->count() == 1;
        shot(&w, "failed-messages");
        w.close();
    };
    mainForm()->findChild<QToolButton*>("Picture15")->click();
    if (before)
        LineFile::rewriteInPlace(carried, *before);
    else
        QFile::remove(carried);
    return ok || fail("the failed messages view did not list the carried-over entry");
}

bool DemoWalk::scheduleMessage() {
    MainForm& form = *mainForm();
    const Controls c = controls();
    const QDateTime when = QDateTime::currentDateTime().addSecs(2 * 3600 + 60);
    form.findChild<QDateEdit*>("dtSchDate")->setDate(when.date());
    form.findChild<QTimeEdit*>("txttime")->setTime(QTime(when.time().hour(), when.time().minute()));
    c.txtSubject->clear();
    c.txtMessage->clear();
    c.txtMessage->setFocus();
    QTest::keyClicks(c.txtMessage, "Reminder: the team meeting starts in ten minutes.");
    shot(&form, "schedule-set");
    form.findChild<QToolButton*>("imgSchedule")->click();
    bool ok = false;
    form.sendPanel().delivery().showList = [&](MessageListWindow& w) {
        w.show();
        w.activate();
        ok = w.findChild<QListWidget*>("List1")->count() > 0;
        shot(&w, "scheduled-messages");
        w.close();
    };
    form.findChild<QToolButton*>("imgScheduledMessageQ")->click();
    return ok || fail("the scheduled message queue is empty after scheduling");
}
