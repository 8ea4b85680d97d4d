#pragma once

#include "DemoWalk.h"
#include "common/FileLocks.h"
#include "common/LineFile.h"
#include "common/Registry.h"
#include "support/SmscsimProcess.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

// A real installation made by `cmake --install` of this build into a
// temporary folder, for the tests that run the installed programs, and the
// current folder (where the client stores AppPath.cfg for Brindle); the settings
// store, inherited by the programs, is a sandbox's. Its serial ports name
// devices that do not exist (the shipped mapping is kept aside) until
// `simulate` puts the simulator on COM1.
class Installed {
public:
    Installed() {
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start("cmake",
                      {"--install", TestInstallation::binaryDir(), "--prefix", m_dir.path()});
        m_ok = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit &&
               install.exitCode() == 0;
        m_log = QString::fromLocal8Bit(install.readAll());
        m_shippedComPorts = bytes("Config/ComPorts.cfg");
        TestInstallation::mapPortsAway(root() + '/');
        QDir::setCurrent(root());
    }
    // The modem connection on COM1 is stored unless the test sets it up
    // through the connection settings.
    bool simulate(const QStringList& options, bool storeConnection = true) {
        Registry::CreateRegistryKey(Registry::kSettingsKey);
        if (storeConnection)
            Registry::writeSetting("MODEM_CONN", "0");
        QDir().mkpath(file("run"));
        sim = std::make_unique<SmscsimProcess>(
            file("bin/smscsim"), QStringList{"--record", file("run/record.txt"), "--transcript",
                                             file("run/transcript.txt"), "--lifetime", "600"} +
                                     options);
        if (sim->pty.isEmpty())
            return false;
        if (storeConnection)
            LineFile::rewrite(file("Config/Port.cfg"), {" 1 "});
        return LineFile::rewrite(file("Config/ComPorts.cfg"), {sim->pty});
    }
    // A Brindle still hanging up would write into the removed tree.
    ~Installed() {
        DemoWalk::waitFor([this] { return !FileLocks::brindleRunning(root()); }, 60000);
    }
    bool ok() const { return m_ok; }
    QString root() const { return m_dir.path(); }
    QString log() const { return m_log; }
    QByteArray shippedComPorts() const { return m_shippedComPorts; }
    QString file(const QString& rel) const { return root() + '/' + rel; }
    QByteArray bytes(const QString& rel) const {
        QFile f(file(rel));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList lines(const QString& rel) const { return LineFile::readAll(file(rel)); }
    void setBrindleConfigLine(int n, const QString& value) {
        QStringList l = lines("NOM/UK/Cellnet/Config/Brindle.cfg");
        l[n - 1] = value;
        LineFile::rewrite(file("NOM/UK/Cellnet/Config/Brindle.cfg"), l);
    }

    std::unique_ptr<SmscsimProcess> sim;

private:
    TestInstallation m_sandbox{TestInstallation::Contents::Empty};
    QTemporaryDir m_dir;
    bool m_ok = false;
    QString m_log;
    QByteArray m_shippedComPorts;
};
