// Opening the Accepted Messages view on a long file: how long the load takes
// and the longest stretch in which the window could not handle an event.
#include "Responsiveness.h"
#include "client/outbox/MessageLists.h"
#include "client/outbox/ui/MessageListWindow.h"
#include "common/Installation.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? QString(argv[1]).toInt() : 100000;

    QTemporaryDir dir;
    QDir().mkpath(dir.path() + "/Config");
    QFile out(dir.path() + "/Config/AccpMsgs.dat");
    out.open(QIODevice::WriteOnly);
    for (int i = 1; i <= lines; ++i)
        out.write("Accepted::[" + QByteArray::number(i) +
                  "] 05/12/2026 16:20:00 +447700900123 A message of ordinary length, P1/1 - "
                  "Message sent by Quorvel. 05/12/2026 16:20:00\r\n");
    out.close();

    const Installation installation = Installation::at(dir.path());
    MessageListWindow w(installation, MessageLists::kAcceptedCaption, MessageLists::kAcceptedFile,
                        nullptr, {});
    w.show();
    const Responsiveness r = Responsiveness::measure([&] { w.activate(); });
    const auto* listed = w.findChild<QListWidget*>("List1");
    const qint64 total = r.totalMs;
    const qint64 longestGap = r.longestGapMs;
    QTextStream(stdout) << lines << " lines listed: " << listed->count() << " in " << total
                        << " ms; longest time without events: " << longestGap << " ms\n";
    return listed->count() == lines ? 0 : 1;
}
