#pragma once

#include "mobile/MobileModems.h"

#include <QDBusMessage>
#include <QObject>

Q_DECLARE_METATYPE(MobileStatusReport)

// Tells of each delivery report a modem receives while it watches. Reports
// that came while nobody watched are still on the modem: list them with
// MobileModems::reports.
class ReportWatcher : public QObject {
    Q_OBJECT
public:
    ReportWatcher(const MobileModems& modems, const QString& modemPath, QObject* parent = nullptr);
    bool watching() const { return m_watching; }

signals:
    void reportArrived(const MobileStatusReport& report);

private slots:
    void added(const QDBusMessage& message);

private:
    const MobileModems& m_modems;
    bool m_watching = false;
};
