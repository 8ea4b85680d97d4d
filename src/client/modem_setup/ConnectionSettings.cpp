#include "client/modem_setup/ConnectionSettings.h"

#include "client/modem_setup/MainWindowLink.h"
#include "client/modem_setup/ModemTester.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "common/Setting.h"
#include "common/Val.h"

ConnectionSettings::ConnectionSettings(QString appPath, ModemTester& tester, OutsideLine& outside,
                                       MainWindowLink& mainWindow)
    : m_appPath(std::move(appPath)), m_tester(tester), m_outside(outside),
      m_mainWindow(mainWindow) {
    QObject::connect(&m_tester, &ModemTester::sendButtonEnabled, &m_tester,
                     [this](bool enabled) { m_mainWindow.setSendEnabled(enabled); });
}

int ConnectionSettings::storedPort(const QString& appPath) {
    const QStringList lines =
        LineFile::readAll(ExchangeFiles::path(appPath, ExchangeFiles::kPortFile));
    return lines.isEmpty() ? 0 : static_cast<int>(leadingNumber(lines.first()));
}

bool ConnectionSettings::writePortFile(const QString& appPath, int port) {
    const QString line = port > 0 ? ' ' + QString::number(port) + ' ' : QString();
    return LineFile::rewrite(ExchangeFiles::path(appPath, ExchangeFiles::kPortFile), {line});
}

void ConnectionSettings::Load() {
    userMobile = Setting::readOrEmpty(Setting::UserMobile);
    userEmail = Setting::readOrEmpty(Setting::UserEmail);
    if (isModem())
        modemChosen(false);
    else if (isInternet())
        internetChosen();
    const int port = storedPort(m_appPath);
    if (port >= 1 && port <= ModemDialogState::kPorts)
        m_tester.switchToPort(port);
    m_tester.markMobilePorts();
}

void ConnectionSettings::chooseType(ConnectionType type) {
    connection = type;
    Setting::write(Setting::ModemConn, isModem() ? QStringLiteral("0") : QStringLiteral("1"));
    m_tester.applyConnectionLayout(isModem());
    m_mainWindow.applyConnectionLayout(type);
}

std::optional<Notice> ConnectionSettings::modemChosen(bool byHand) {
    chooseType(ConnectionType::Modem);
    if (byHand)
        return Activate();
    return std::nullopt;
}

void ConnectionSettings::internetChosen() {
    chooseType(ConnectionType::InternetChosenNow);
}

void ConnectionSettings::outsideLineToggled(bool ticked) {
    m_outside.ticked = ticked;
}

std::optional<Notice> ConnectionSettings::Activate() {
    if (connection == ConnectionType::NotChosen) {
        noPort = true;
        return std::nullopt;
    }
    m_outside.fillFromSaved();
    if (!isModem() || storedPort(m_appPath) != 0)
        return std::nullopt;
    return Notice{QStringLiteral(" Do you want to detect modem automatically ?"),
                  Notice::kWarningTitle, Notice::Mark::None, true, true};
}

void ConnectionSettings::searchAnswered(bool yes) {
    if (!yes) {
        noPort = true;
        return;
    }
    m_tester.setBusy(true);
    firstStartResult = m_tester.AutoDetectPort();
    // The search leaves COM 4 chosen when nothing answered.
    if (firstStartResult == 0)
        m_tester.clearSelection();
    m_tester.setBusy(false);
}

bool ConnectionSettings::confirmInternet() {
    if (!isInternet())
        return false;
    userMobile = userMobile.trimmed();
    userEmail = userEmail.trimmed();
    Setting::write(Setting::UserMobile, userMobile);
    Setting::write(Setting::UserEmail, userEmail);
    return true;
}

WithNotice<ConnectionSettings::Ok> ConnectionSettings::okClicked() {
    if (connection == ConnectionType::NotChosen)
        return {Ok::NoConnectionType, Notice{QStringLiteral("Select a connection type"),
                                             Notice::kWarningTitle, Notice::Mark::Stop}};
    if (auto refusal = m_outside.refusal())
        return {Ok::PrefixMissing, std::move(refusal)};
    writePortFile(m_appPath, m_tester.state().selectedPort);
    if (m_outside.ticked)
        m_outside.prefix = OutsideLine::numberIn(m_outside.text);
    m_outside.savedOption = m_outside.ticked ? 1 : 0;
    // Brindle reads the number after the blank.
    if (m_outside.prefix != -1)
        Setting::write(Setting::OutDial, ' ' + QString::number(m_outside.prefix));
    Setting::write(Setting::OutDialOption, ' ' + QString::number(m_outside.savedOption));
    return {Ok::Closing, std::nullopt};
}

void ConnectionSettings::Unload(const Tell& tell) {
    const bool searching = !m_tester.state().okEnabled;
    m_tester.release();
    if (searching) {
        noPort = true;
        return;
    }
    noPort = false;
    const int port = m_tester.state().selectedPort;
    if (isModem() && port == 0) {
        tell({QStringLiteral("No port selected. You will not be able to send any SMS messages."),
              Notice::kWarningTitle, Notice::Mark::Stop});
        m_mainWindow.setSendEnabled(false);
    } else {
        m_mainWindow.setSendEnabled(true);
    }
    // Brindle would dial on the port the file still names, or on none.
    if (!writePortFile(m_appPath, port) && isModem()) {
        tell({QStringLiteral("The port could not be saved in Config\\Port.cfg. You will not be "
                             "able to send any SMS messages."),
              Notice::kWarningTitle, Notice::Mark::Stop});
        m_mainWindow.setSendEnabled(false);
        noPort = true;
    }
}
