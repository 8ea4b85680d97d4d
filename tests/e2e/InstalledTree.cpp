#include "InstalledTree.h"

#include "support/TestInstallation.h"

#include <QFile>
#include <QProcess>

InstalledTree::InstalledTree() {
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start("cmake", {"--install", TestInstallation::binaryDir(), "--prefix", m_dir.path()});
    m_ok = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit &&
           install.exitCode() == 0;
    m_log = QString::fromLocal8Bit(install.readAll());
    QFile shipped(root() + QStringLiteral("/Config/ComPorts.cfg"));
    if (shipped.open(QIODevice::ReadOnly))
        m_shippedComPorts = shipped.readAll();
    TestInstallation::mapPortsAway(root() + '/');
}
