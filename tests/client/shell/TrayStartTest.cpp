#include "client/settings/ui/SplashWindow.h"
#include "client/shell/ui/ClientStartup.h"
#include "client/shell/ui/MainForm.h"
#include "support/FakeSystemTray.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// Runs under its own X server (tests/support/run-under-xvfb.sh), where a
// notification area can exist; offscreen never has one.
namespace {

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

QWidget* windowWithId(std::uint32_t id) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->internalWinId() == id)
            return w;
    return nullptr;
}

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
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());

    TestInstallation inst;
    ScriptedMessageBox boxes;
    const QString locks = inst.root() + "/locks";
    QDir().mkpath(locks);
    // The user ticks "Start in system tray" in the options window and starts.
    QTimer::singleShot(0, [] {
        auto* splash = qobject_cast<SplashWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(splash, nullptr);
        splash->chkMinOnStartup->click();
        splash->Command2->click();
    });
    ClientStartup startup(inst.root(), inst.root(), locks);
    // The connection dialog is another test's.
    const auto noConnectionDialog = [](MainForm& f) {
        f.runConnectionDialog = [](frmModemDetected&) {};
    };
    ASSERT_EQ(startup.start(noConnectionDialog), ClientStartup::Outcome::Running);
    MainForm* form = startup.mainForm();
    ASSERT_TRUE(startup.settings().StartInTray);

    xcbRoundTrip(qtConnection());
    const QList<std::uint32_t> docked = tray.dockRequests();
    ASSERT_EQ(docked.size(), 1) << "one icon asked for the notification area";
    EXPECT_TRUE(tray.viewable(docked.first()));
    ASSERT_FALSE(form->isVisible()) << "the icon alone shows at start";
    EXPECT_FALSE(tray.viewable(form->internalWinId()));

    QWidget* icon = windowWithId(docked.first());
    ASSERT_NE(icon, nullptr);
    QTest::mouseDClick(icon, Qt::LeftButton);
    ASSERT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());
    xcbRoundTrip(qtConnection());
    EXPECT_TRUE(tray.viewable(form->internalWinId()));
    waitUntilActive(form);
    EXPECT_TRUE(form->isActiveWindow());
    EXPECT_TRUE(boxes.shown().isEmpty());
    form->close();
}
