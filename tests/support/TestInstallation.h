#pragma once

#include "common/InstallPath.h"
#include "common/Installation.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A whole installation in a temporary folder: the shipped data tree copied in,
// the current directory moved into it and the settings store pointed at a file
// inside it. Every serial port names a device that does not exist, so no test
// ever dials on the host's own ports. Everything is restored when it goes away.
class TestInstallation {
public:
    enum class Contents { ShippedData, Empty };
    explicit TestInstallation(Contents contents = Contents::ShippedData);
    ~TestInstallation();

    // The installation directory with its trailing '/'.
    QString appPath() const { return m_dir.path() + '/'; }
    QString root() const { return m_dir.path(); }
    // The installation as the programs are handed it.
    const Installation& installation() const { return m_installation; }
    // A real path for a relative name as the program spells it.
    QString file(const QString& relative) const {
        return InstallPath::resolve(appPath(), relative);
    }
    QByteArray bytes(const QString& relative) const;
    void writeBytes(const QString& relative, const QByteArray& bytes) const;
    void remove(const QString& relative) const;

    // Points COM1 to COM8 of the installation at paths that do not exist.
    static void mapPortsAway(const QString& appPath);

    static QString binaryDir();

private:
    QTemporaryDir m_dir;
    Installation m_installation = Installation::at(m_dir.path());
    QString m_oldCwd;
    QByteArrayList m_oldEnv;
};

// Entries as a line file holds them, each ended by CR LF.
inline QByteArray lines(const QStringList& entries) {
    return entries.isEmpty() ? QByteArray() : (entries.join("\r\n") + "\r\n").toLatin1();
}
