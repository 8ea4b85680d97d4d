#include "common/FileLocks.h"
#include "common/QSerialPortLine.h"
#include "nom/BrindleConfig.h"
#include "nom/BrindleController.h"
#include "nom/ui/BrindleWindow.h"
#include "ui/PanelWidgets.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {
// Exit status of a Brindle that found another run holding the run lock.
constexpr int kAnotherRun = 3;
} // namespace

// Brindle runs unattended: no message-box presenter is installed, so nothing
// can stop it on a modal box (boxes go to the log with their default answer).
int main(int argc, char** argv) {
    // No display to open (cron, a dead ssh -X, a display that is gone): the
    // run goes on unseen rather than abort with the entries stranded.
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    if (!platforms.split(';').contains("offscreen")) {
        if (platforms.isEmpty())
            platforms = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb" : "wayland;xcb";
        qputenv("QT_QPA_PLATFORM", platforms + ";offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brindle");
    QApplication::setWindowIcon(PanelWidgets::appIcon());
    QApplication::setQuitOnLastWindowClosed(false);

    // One run per installation, held until the process ends. A second one
    // leaves the state word, the logs and the queue to the run that owns them.
    const FileLocks::RunLock runLock(
        BrindleConfig::resolveAppPath(QCoreApplication::applicationDirPath(), QDir::currentPath()));
    if (!runLock.held()) {
        std::fputs("Brindle: another run of the operator module is in progress; not started.\n",
                   stderr);
        return kAnotherRun;
    }

    QSerialPortLine line;
    BrindleController controller(line, QCoreApplication::applicationDirPath(), QDir::currentPath());
    BrindleWindow window(controller);
    QObject::connect(&controller, &BrindleController::finished, &app,
                     [](const QString&) { QCoreApplication::exit(0); });
    window.showMinimized();
    controller.start();
    if (controller.hasEnded())
        return 0;
    controller.startTimers();
    return app.exec();
}
