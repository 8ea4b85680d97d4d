#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace Fuzz {

void fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "PROPERTY BROKEN: %s\n%s\n", what, qUtf8Printable(detail));
    std::fflush(stderr);
    std::abort();
}

QByteArray Input::take(qsizetype n) {
    const QByteArray out = m_bytes.mid(m_at, n);
    m_at += out.size();
    return out;
}

QList<QByteArray> Input::pieces(int maxCuts) {
    const int cuts = byte() % (maxCuts + 1);
    QList<qsizetype> lengths;
    for (int i = 0; i < cuts; ++i)
        lengths << byte();
    QList<QByteArray> out;
    for (qsizetype n : lengths)
        out << take(n);
    out << rest();
    return out;
}

QString scratch() {
    // In memory when the system offers it: the settings store waits for the disk.
    static const QString base =
        QFileInfo("/dev/shm").isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    static QTemporaryDir dir(base + "/quorvel-fuzz-XXXXXX");
    return dir.path() + '/';
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        fail("scratch file not written", path);
}

} // namespace Fuzz

// Qt wants an application object for its event loop and settings; dates are
// read as UTC so no daylight-saving gap makes a date-time vanish; a fixed
// hash seed keeps a replay's coverage, and so its inputs, the same each run.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_HASH_SEED", "0");
    qputenv("TZ", "UTC");
    qputenv("QUORVEL_REGISTRY", (Fuzz::scratch() + "registry.ini").toLocal8Bit());
    static QCoreApplication app(*argc, *argv);
    return 0;
}
