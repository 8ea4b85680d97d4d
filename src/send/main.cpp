#include "client/outbox/BrindleLauncher.h"
#include "send/SendJob.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// The first error writing standard output; 0 while there was none.
int g_outError = 0;

// Whole lines, NULs included; a failed write is remembered, not ignored.
void print(FILE* to, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    if ((std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to) != size_t(bytes.size()) ||
         std::fflush(to) != 0) &&
        to == stdout && g_outError == 0)
        g_outError = errno ? errno : EIO;
}

void printLine(FILE* to, const QString& line) {
    print(to, line + '\n');
}

// An error repeats what it was given (a number, a file name): a control
// character in it reaches the terminal as U+XXXX, never raw.
void printError(const QString& line) {
    QString shown;
    for (const QChar c : line) {
        if ((c.unicode() < 0x20 && c != '\n') || c.unicode() == 0x7f)
            shown += QString::asprintf("U+%04X", c.unicode());
        else
            shown += c;
    }
    printLine(stderr, shown);
}

// A script that reads what this printed must not take a half-written output for all of it.
int checkedExit(int status) {
    if (std::fflush(stdout) != 0 && g_outError == 0)
        g_outError = errno ? errno : EIO;
    if (g_outError == 0)
        return status;
    printLine(stderr, "quorvel-send: cannot write to standard output: " +
                          QString::fromLocal8Bit(std::strerror(g_outError)) + '.');
    return status == SendJob::Sent ? SendJob::Failed : status;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("quorvel-send");
    QString error;
    const auto options = SendOptions::parse(QCoreApplication::arguments(), error);
    if (!options) {
        printError("quorvel-send: " + error + "\nTry quorvel-send --help.");
        return SendJob::Failed;
    }
    if (options->help || options->version) {
        print(stdout, options->help ? SendOptions::helpText()
                                    : QStringLiteral("quorvel-send " QUORVEL_VERSION "\n"));
        return checkedExit(SendJob::Sent);
    }
    DetachedBrindleLauncher launcher;
    // What a Brindle that could not start said, for the reason this prints.
    QTemporaryFile brindleErrors;
    if (brindleErrors.open())
        launcher.keepErrorsIn(brindleErrors.fileName());
    SendJob job(
        launcher, [](const QString& l) { printLine(stdout, l); },
        [](const QString& l) { printError(l); });
    return checkedExit(job.run(*options, QCoreApplication::applicationDirPath(), [] {
        if (::isatty(STDIN_FILENO))
            printLine(stderr, "quorvel-send: reading the message from standard input (end it "
                              "with Ctrl-D).");
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return QString();
        return QString::fromLocal8Bit(in.readAll());
    }));
}
