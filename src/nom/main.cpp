#include "common/QSerialPortLine.h"
#include "nom/BrindleController.h"
#include "nom/ui/BrindleWindow.h"

#include <QApplication>
#include <QDir>

// Brindle runs unattended: no message-box presenter is installed, so nothing
// can stop it on a modal box (boxes go to the log with their default answer).
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brindle");
    QApplication::setQuitOnLastWindowClosed(false);

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
