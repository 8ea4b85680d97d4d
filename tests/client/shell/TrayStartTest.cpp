#include "client/settings/ui/SplashWindow.h"
#include "client/shell/ui/ClientStartup.h"
#include "client/shell/ui/MainForm.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

// Runs under its own X server (tests/support/run-under-xvfb.sh), where a
// notification area can exist; offscreen never has one.
namespace {

constexpr std::uint32_t kRequestDock = 0; // SYSTEM_TRAY_REQUEST_DOCK

// Every request sent on `c` before has been carried out when this returns.
void roundTrip(xcb_connection_t* c) {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

xcb_atom_t atom(xcb_connection_t* c, const QByteArray& name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(name.size()), name.constData()), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// A notification area as far as an X client can tell: it owns the
// "_NET_SYSTEM_TRAY_S<screen>" selection of $DISPLAY and docks the icons that
// ask in a strip at the top left. It talks to the X server on a connection of
// its own, only when asked, so it needs no thread; made before the program
// looks for a notification area, it announces itself to no one.
class FakeSystemTray {
public:
    FakeSystemTray() {
        int screenNumber = 0;
        m_c = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_c))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_c));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        m_window = xcb_generate_id(m_c);
        const std::uint32_t values[] = {0xc0c0c0, 1}; // grey, no window manager in the way
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, it.data->root, 0, 0, 160, 32, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(m_c, m_window);
        const xcb_atom_t selection =
            atom(m_c, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber));
        m_opcode = atom(m_c, "_NET_SYSTEM_TRAY_OPCODE");
        xcb_set_selection_owner(m_c, m_window, selection, XCB_CURRENT_TIME);
        auto* owner =
            xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, selection), nullptr);
        m_owned = owner && owner->owner == m_window;
        std::free(owner);
    }
    ~FakeSystemTray() { xcb_disconnect(m_c); } // gives up the selection with the window
    bool owned() const { return m_owned; }

    // Docks the icons that have asked since the last call (requests sent on
    // the caller's connection before a round trip on it are all here) and
    // returns every icon docked so far, in order.
    QList<std::uint32_t> dockRequests() {
        // Events that reached us before the reply are queued once it is in.
        roundTrip(m_c);
        while (xcb_generic_event_t* event = xcb_poll_for_queued_event(m_c)) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == m_opcode &&
                message->data.data32[1] == kRequestDock) {
                // Embedded side by side, as a panel does (no XEmbed focus handling).
                const std::uint32_t icon = message->data.data32[2];
                xcb_reparent_window(m_c, icon, m_window, std::int16_t(5 + 27 * m_docked.size()), 5);
                xcb_map_window(m_c, icon);
                m_docked << icon;
            }
            std::free(event);
        }
        roundTrip(m_c);
        return m_docked;
    }

private:
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_opcode = 0;
    bool m_owned = false;
    QList<std::uint32_t> m_docked;
};

// Runs window events until `w` is the active window; the focus arrives as an
// X event once the server has mapped the window.
void waitUntilActive(QWidget* w) {
    QEventLoop loop;
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, &loop, [&] {
        if (w->isActiveWindow())
            loop.quit();
    });
    if (!w->isActiveWindow())
        loop.exec();
}

} // namespace

TEST(TrayStart, StartsAsAnIconAloneAndADoubleClickOnItRestoresAndActivates) {
    if (qEnvironmentVariableIsSet("QUORVEL_NO_XVFB"))
        GTEST_SKIP() << "Xvfb or xauth is not installed: no X server to hold a notification area";
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run through run-under-xvfb.sh";
    FakeSystemTray tray;
    ASSERT_TRUE(tray.owned());

    TestInstallation inst;
    ScriptedMessageBox boxes;
    // The user ticks "Start in system tray" in the options window and starts.
    QTimer::singleShot(0, [] {
        auto* splash = qobject_cast<SplashWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(splash, nullptr);
        splash->findChild<QCheckBox*>("chkMinOnStartup")->click();
        splash->findChild<QPushButton*>("Command2")->click();
    });
    Installation installation(inst.root(), inst.root());
    ClientStartup startup(installation, inst.root());
    // The connection dialog is another test's.
    ASSERT_EQ(startup.start([](MainForm& f) { f.runConnectionDialog = [](frmModemDetected&) {}; }),
              ClientStartup::Outcome::Running);
    MainForm* form = startup.mainForm();

    roundTrip(qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection());
    const QList<std::uint32_t> docked = tray.dockRequests();
    ASSERT_EQ(docked.size(), 1) << "one icon asked for the notification area";
    ASSERT_FALSE(form->isVisible()) << "the icon alone shows at start";

    QWidget* icon = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        icon = w->internalWinId() == docked.first() ? w : icon;
    ASSERT_NE(icon, nullptr);
    QTest::mouseDClick(icon, Qt::LeftButton);
    ASSERT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());
    waitUntilActive(form);
    EXPECT_TRUE(form->isActiveWindow());
    EXPECT_TRUE(boxes.shown().isEmpty());
    form->setWindowState(Qt::WindowMinimized); // the state change a minimise brings
    EXPECT_FALSE(form->isVisible()) << "minimised back into the notification area";
    form->close();
}
