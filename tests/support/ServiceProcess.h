#pragma once

#include <QProcess>
#include <QStringList>

// The built quorvel-service on a free port with the database `db`, stopped
// with SIGTERM as a service manager stops it.
class ServiceProcess {
public:
    explicit ServiceProcess(const QString& db);
    ~ServiceProcess() { stop(); }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port); }
    // The exit code of a clean stop; -1 when it crashed or would not stop.
    int stop();
    QByteArray list(const QStringList& user = {}) const; // `--list [user]`

    int port = 0; // 0: it did not come up (see `log`)
    QString log;  // its standard error so far

private:
    QString m_db;
    QProcess m_process;
};
