#include "InstalledTree.h"

#include "support/TestInstallation.h"

#include <QProcess>

InstalledTree::InstalledTree() {
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start("cmake", {"--install", TestInstallation::binaryDir(), "--prefix", m_dir.path()});
    m_ok = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit &&
           install.exitCode() == 0;
    m_log = QString::fromLocal8Bit(install.readAll());
    m_shippedComPorts = bytes("Config/ComPorts.cfg");
    TestInstallation::mapPortsAway(root() + '/');
}
