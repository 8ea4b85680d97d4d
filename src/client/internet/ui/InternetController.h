#pragma once

#include "client/internet/InternetDelivery.h"
#include "client/internet/ui/frmStatus.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

struct ClientSettings;
class FormPage;
class Installation;
class InternetControls;
class QNetworkAccessManager;
class QNetworkDiskCache;
class QWidget;
class ServerStatus;

// The main window's Internet route: the page (its browser), the client's own
// cache, the delivery and the status window it owns.
class InternetController : public QObject {
    Q_OBJECT
public:
    InternetController(const Installation& installation, InternetDelivery::Lists lists,
                       InternetControls& controls, const ClientSettings& settings,
                       const QString& cacheDirectory, QWidget* mainWindow);
    ~InternetController() override;

    InternetDelivery& delivery() { return *m_delivery; }
    FormPage& webConnection() { return *m_page; }
    ServerStatus& status() { return *m_status; }
    frmStatus& statusWindow() { return *m_window; }

signals:
    // "Connect" of the status window: open the connection settings.
    void connectRequested();

private:
    std::unique_ptr<QNetworkAccessManager> m_network;
    QNetworkDiskCache* m_cache = nullptr; // the manager's
    std::unique_ptr<FormPage> m_page;
    std::unique_ptr<ServerStatus> m_status;
    std::unique_ptr<InternetDelivery> m_delivery;
    QPointer<frmStatus> m_window; // the main window's child
};
