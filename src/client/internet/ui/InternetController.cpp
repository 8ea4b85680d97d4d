#include "client/internet/ui/InternetController.h"

#include "client/internet/FormPage.h"
#include "client/internet/ServerCache.h"
#include "client/internet/ServerStatus.h"
#include "client/internet/ui/frmStatus.h"
#include "common/Installation.h"
#include "common/MessageBox.h"

#include <QNetworkAccessManager>
#include <QNetworkDiskCache>

InternetController::InternetController(const Installation& installation,
                                       InternetDelivery::Lists lists, InternetControls& controls,
                                       const ClientSettings& settings,
                                       const QString& cacheDirectory, QWidget* mainWindow)
    : m_network(std::make_unique<QNetworkAccessManager>()) {
    m_page = std::make_unique<FormPage>(*m_network);
    m_status = std::make_unique<ServerStatus>();
    m_delivery = std::make_unique<InternetDelivery>(
        installation, lists, *m_page, *m_status, controls, settings, [this, cacheDirectory] {
            // Made at the first submission: a client that never sends leaves no folder.
            if (!m_cache) {
                m_cache = new QNetworkDiskCache(m_network.get());
                m_cache->setCacheDirectory(cacheDirectory);
                m_network->setCache(m_cache);
            }
            ServerCache::ClearServerCache(*m_cache);
        });
    connect(m_delivery.get(), &InternetDelivery::notice, this,
            [](const Notice& notice) { MessageBox::tell(notice); });
    m_window = new frmStatus(*m_status, mainWindow);
    connect(m_status.get(), &ServerStatus::connectRequested, this,
            &InternetController::connectRequested);
}

InternetController::~InternetController() {
    delete m_window;
    m_delivery.reset();
    m_page.reset();
}
