#include "client/shell/ui/ClientStartup.h"
#include "client/shell/ui/MainForm.h"
#include "common/AppPath.h"
#include "common/Installation.h"
#include "common/MessageBox.h"
#include "ui/PanelWidgets.h"
#include "ui/QtMessageBoxPresenter.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorvel");
    QApplication::setOrganizationName("Quorvel");
    QApplication::setWindowIcon(PanelWidgets::appIcon());
    QGuiApplication::setDesktopFileName("quorvel");
    QtMessageBoxPresenter boxes;
    MessageBox::install(&boxes);

    Installation installation(AppPath::installation(QCoreApplication::applicationDirPath()),
                              QDir::currentPath());
    ClientStartup startup(installation);
    if (startup.start() != ClientStartup::Outcome::Running)
        return 0;
    // Minimised to the notification area the window is hidden, so the last
    // closed window must not end the program; only closing the main window does.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(startup.mainForm(), &MainForm::closed, &app, &QApplication::quit);
    return app.exec();
}
