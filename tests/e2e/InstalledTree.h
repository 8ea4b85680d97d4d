#pragma once

#include "support/TestInstallation.h"

#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real installation made by `cmake --install` of this build into a
// temporary folder, for the tests that run the installed programs. Its serial
// ports name devices that do not exist; the shipped mapping is kept aside.
class InstalledTree {
public:
    InstalledTree() {
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start("cmake",
                      {"--install", TestInstallation::binaryDir(), "--prefix", m_dir.path()});
        m_ok = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit &&
               install.exitCode() == 0;
        m_log = QString::fromLocal8Bit(install.readAll());
        m_shippedComPorts = bytes("Config/ComPorts.cfg");
        TestInstallation::mapPortsAway(root() + '/');
    }
    bool ok() const { return m_ok; }
    QString root() const { return m_dir.path(); }
    QString log() const { return m_log; }
    QByteArray shippedComPorts() const { return m_shippedComPorts; }
    QByteArray bytes(const QString& rel) const {
        QFile f(root() + '/' + rel);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
    QString m_log;
    QByteArray m_shippedComPorts;
};
