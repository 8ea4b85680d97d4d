#include "client/outbox/BrindleLauncher.h"
#include "send/SendJob.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>

namespace {

void print(FILE* to, const QString& line) {
    std::fputs((line + '\n').toLocal8Bit().constData(), to);
    std::fflush(to);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("quorvel-send");
    QString error;
    const auto options = SendOptions::parse(QCoreApplication::arguments(), error);
    if (!options) {
        print(stderr, "quorvel-send: " + error + "\nTry quorvel-send --help.");
        return SendJob::Failed;
    }
    if (options->help) {
        std::fputs(SendOptions::helpText().toLocal8Bit().constData(), stdout);
        return SendJob::Sent;
    }
    // Brindle has a window; from cron or a remote shell there is no screen
    // for it, and it runs unattended anyway.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    DetachedBrindleLauncher launcher;
    SendJob job(
        launcher, [](const QString& l) { print(stdout, l); },
        [](const QString& l) { print(stderr, l); });
    return job.run(*options, QCoreApplication::applicationDirPath(), [] {
        if (::isatty(STDIN_FILENO))
            print(stderr, "quorvel-send: reading the message from standard input (end it with "
                          "Ctrl-D).");
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return QString();
        return QString::fromLocal8Bit(in.readAll());
    });
}
