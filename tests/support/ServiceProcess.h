#pragma once

#include "support/ChildProcess.h"

#include <QRegularExpression>

// The built quorvel-service on a free port with the database `db`.
class ServiceProcess : public ChildProcess {
public:
    explicit ServiceProcess(const QString& db, const QStringList& options = {"--open-enrolment"})
        : log(start(QUORVEL_SERVICE_PATH, QStringList{"--port", "0", "--db", db} + options,
                    QProcess::StandardError)),
          m_db(db) {
        // Its first line names the address it listens on.
        port = QRegularExpression(":(\\d+)/quorvel/quorvel.asp").match(log).captured(1).toInt();
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port); }
    // The exit code of a clean stop; -1 when it crashed or would not stop.
    int stop() {
        const int code = finish(true);
        log += m_process.readAllStandardError();
        return code;
    }
    // kill -9: no clean stop, whatever it was doing.
    void killNow() {
        m_process.kill();
        m_process.waitForFinished();
    }
    QByteArray list(const QStringList& user = {}) const { // `--list [user]`
        return command(QStringList{"--list"} + user);
    }
    // quorvel-service with `arguments` on this database: its output, or its
    // errors and exit code when it fails.
    QByteArray command(const QStringList& arguments) const {
        QProcess p;
        p.start(QUORVEL_SERVICE_PATH, arguments + QStringList{"--db", m_db});
        p.waitForFinished(10000);
        if (p.exitCode() != 0)
            return p.readAllStandardError() + "exit " + QByteArray::number(p.exitCode());
        return p.readAllStandardOutput();
    }

    int port = 0; // 0: it did not come up (see `log`)
    QString log;  // its standard error so far

private:
    QString m_db;
};
