#include "client/modem_setup/ModemTester.h"

#include "client/modem_setup/PortDetector.h"
#include "client/modem_setup/SmscNumber.h"
#include "common/ComPorts.h"
#include "common/SerialLine.h"
#include "common/Win1252.h"

const QString ModemTester::kSuccess = QStringLiteral("SUCCESS");
const QString ModemTester::kNoDialtone = QStringLiteral("NO DIALTONE");
const QString ModemTester::kUndetermined = QStringLiteral("UNDETERMIND ERROR");
const QString ModemTester::kHeldByModemManager =
    QStringLiteral("ModemManager holds this port's modem. Please press Refresh and choose the "
                   "mobile modem's own port.");
const QString ModemTester::kPortInUse =
    QStringLiteral("The port is currently being used by another application.");

namespace {

constexpr int kDialTimeout = 60;
// ModemManager can take long while a modem is busy; the dialog waits no longer.
constexpr int kModemManagerTimeoutMs = 2000;

const QString kModemTestFailed = QStringLiteral("Modem Test Failed");
const QString kModemTestSuccessful = QStringLiteral("Modem Test Successful");
const QString kNoDialtoneText =
    QStringLiteral("No Dialtone Detected. Please check if modem is connected to a phoneline. You "
                   "will not be able to send messages from the application");
const QString kUndeterminedText =
    QStringLiteral("Undetermined Error Detected. Please restart and use an alternative COM port");

} // namespace

ModemTester::ModemTester(SerialLine& line, QString appPath, OutsideLine& outside, QObject* parent)
    : QObject(parent), m_line(line), m_appPath(std::move(appPath)), m_outside(outside) {
    for (int port = 1; port <= ModemDialogState::kPorts; ++port)
        m_state.portTips[port - 1] = PortDetector::portTip(m_appPath, port);
}

ModemTester::MobileVerdict ModemTester::mobileVerdict(const std::optional<MobileModem>& modem) {
    if (!modem)
        return {false, kModemTestFailed,
                QStringLiteral("Mobile modem not found. Please check that it is plugged in and "
                               "test again.")};
    switch (modem->readiness()) {
    case ModemReadiness::Ready: {
        const QString network = modem->operatorName.trimmed();
        const QString signal = QStringLiteral("signal %1 %.").arg(modem->signalQuality);
        return {true, kModemTestSuccessful,
                network.isEmpty() ? QStringLiteral("Mobile modem registered, ") + signal
                                  : QStringLiteral("Mobile modem on %1, ").arg(network) + signal};
    }
    case ModemReadiness::Locked:
        return {false, kModemTestFailed,
                QStringLiteral("Mobile modem SIM is locked. Please unlock it with its PIN and "
                               "test again.")};
    case ModemReadiness::Disabled:
        return {false, kModemTestFailed,
                QStringLiteral("Mobile modem is disabled. Please enable it and test again.")};
    case ModemReadiness::NotRegistered:
        return {false, kModemTestFailed,
                QStringLiteral("Mobile modem is not registered on a network. Please check the "
                               "SIM card and the signal.")};
    case ModemReadiness::Unusable:
        break;
    }
    return {false, kModemTestFailed,
            QStringLiteral("Mobile modem cannot be used now. Please wait until it is ready and "
                           "test again.")};
}

MobileModems ModemTester::modemManager() const {
    return m_mobile.value_or(MobileModems(kModemManagerTimeoutMs));
}

std::vector<MobileModem> ModemTester::listMobileModems(bool name) {
    const MobileModems mm = modemManager();
    if (name)
        m_unplacedModem.clear();
    if (!mm.available())
        return {};
    std::vector<MobileModem> modems = mm.modems();
    if (name)
        for (const MobileModem& modem : modems)
            if (ComPorts::nameMobileModem(m_appPath, modem.equipmentId, ModemDialogState::kPorts) ==
                0)
                m_unplacedModem = PortDetector::modemName(modem);
    return modems;
}

void ModemTester::lookAtPorts(const std::vector<MobileModem>& mobile) {
    for (int port = 1; port <= ModemDialogState::kPorts; ++port) {
        const PortDetector::Port p = PortDetector::look(m_appPath, port, mobile);
        m_held[port - 1] = p.held;
        m_state.portTips[port - 1] = p.tip;
    }
    keepHeldDisabled();
    changed();
}

ModemTester::Dialled ModemTester::testMobileModem(int port) {
    const MobileModems mm = modemManager();
    const QString id = ComPorts::mobileModem(m_appPath, port);
    const std::optional<MobileModem> modem =
        mm.available() ? mm.find(id) : std::optional<MobileModem>();
    if (modem)
        m_state.portTips[port - 1] = PortDetector::mobileTip(*modem);
    const MobileVerdict verdict = mobileVerdict(modem);
    setHeadline(verdict.headline);
    setExplanation(verdict.explanation);
    setHint(QString());
    return verdict.ready ? Dialled::Connected : Dialled::Failed;
}

void ModemTester::markMobilePorts() {
    lookAtPorts(listMobileModems(false));
}

void ModemTester::keepHeldDisabled() {
    for (int i = 0; i < ModemDialogState::kPorts; ++i)
        m_state.portEnabled[i] = m_state.portEnabled[i] && !m_held[i];
}

ModemTester::~ModemTester() {
    m_line.close();
}

void ModemTester::changed() {
    emit stateChanged();
}

void ModemTester::setHeadline(const QString& text) {
    m_state.headline = text;
    changed();
}

void ModemTester::setExplanation(const QString& text) {
    if (m_state.explanation == text)
        return;
    m_state.explanation = text;
    changed();
}

void ModemTester::setHint(const QString& text) {
    m_state.hint = text;
    changed();
}

void ModemTester::setBusy(bool busy) {
    if (m_state.busy == busy)
        return;
    m_state.busy = busy;
    changed();
    emit busyChanged(busy);
}

void ModemTester::applyConnectionLayout(bool modem) {
    m_state.modemControlsEnabled = modem;
    m_state.testEnabled = modem;
    m_state.autoDetectEnabled = modem;
    m_state.portEnabled.fill(modem);
    keepHeldDisabled();
    m_state.okEnabled = true;
    changed();
}

void ModemTester::closePort() {
    m_line.close();
}

void ModemTester::release() {
    m_sequencer.setStopped(true);
    closePort();
}

void ModemTester::switchToPort(int port) {
    m_state.selectedPort = port;
    closePort();
    m_portNumber = port;
    m_state.okEnabled = true;
    changed();
}

void ModemTester::selectPort(int port) {
    // Choosing the button already chosen is no click.
    if (m_state.selectedPort != port)
        switchToPort(port);
}

void ModemTester::choosePort(int port) {
    if (m_state.dialPending) {
        changed(); // the window shows the chosen button again
        return;
    }
    selectPort(port);
}

void ModemTester::clearSelection() {
    m_state.selectedPort = 0;
    changed();
}

void ModemTester::DetectModem() {
    m_sequencer.setStopped(false);
    const PortDetector::Result found =
        PortDetector::DetectModem(m_line, m_appPath, listMobileModems(true));
    m_held = found.held;
    m_state.portTips = found.tips;
    m_portNumber = ModemDialogState::kPorts;
    for (int i = 0; i < ModemDialogState::kPorts; ++i)
        m_state.portEnabled[i] = found.opened[i];
    // The modem the user plugged in matters more than a choice between ports.
    m_state.hint = m_unplacedModem.isEmpty()
                       ? found.hint
                       : QStringLiteral("The mobile modem %1 has no COM port: lines 1 to 4 of "
                                        "Config/ComPorts.cfg all name devices. Clear one of them "
                                        "and press Refresh.")
                             .arg(m_unplacedModem);
    if (found.count > 0) {
        m_state.headline = QStringLiteral("Port Successfully Detected");
        m_state.explanation = QStringLiteral(
            "Messages can be sent from Quorvel. You can test the modem connectivity to the "
            "Messaging Centre by clicking on the Test Modem button.");
        emit sendButtonEnabled(true);
        m_state.testEnabled = true;
        m_state.autoDetectEnabled = true;
        // With gaps, the lowest port that opened: never a disabled button.
        switchToPort(found.lowest);
    } else {
        m_state.headline = QStringLiteral("No Modem Detected");
        m_state.explanation =
            QStringLiteral("No Messages can be sent. Please check your port setting and ensure "
                           "that the modem is not currently in use");
        m_state.refreshEnabled = true;
        m_state.testEnabled = false;
        m_state.autoDetectEnabled = false;
    }
    changed();
}

QString ModemTester::ReadConfigFile() {
    const auto [read, notice] = SmscNumber::ReadConfigFile(m_appPath);
    if (notice)
        emit said(*notice);
    if (read.found && m_outside.ticked)
        m_outside.prefix = OutsideLine::numberIn(m_outside.text);
    return read.number;
}

QByteArray ModemTester::dialCommand() {
    return "ATDT" + Win1252::encode(m_outside.dialString(ReadConfigFile())) + '\r';
}

void ModemTester::openChosenPort() {
    closePort();
    m_portNumber = m_state.selectedPort;
    const QString device = ComPorts::devicePath(m_appPath, m_portNumber);
    if (device.isEmpty() || m_line.open(device, LineSettings()))
        return;
    if (m_line.openFailure() == SerialLine::OpenFailure::InUse)
        m_pendingPortMessage = kPortInUse;
}

bool ModemTester::AwaitMultiString(const QByteArray& send, const QByteArray& w1,
                                   const QByteArray& w2, const QByteArray& w3, const QByteArray& w4,
                                   int timeout) {
    const qint64 deadline = ModemSequencer::deadlineIn(timeout);
    // Only the first two texts are looked for; with none of the four there is no wait.
    const bool none = w1.isEmpty() && w2.isEmpty() && w3.isEmpty() && w4.isEmpty();
    if (!send.isEmpty()) {
        setExplanation(QStringLiteral("Sending Command to Modem"));
        setHint(QString());
        openChosenPort();
        m_state.dialPending = true;
        changed();
    }
    // Each wait reads afresh: what earlier dials left is no answer.
    m_sequencer.clearBuffer();
    ModemSequencer::Options o;
    o.afterCommand = ModemSequencer::AfterCommand::Read;
    o.pace = ModemSequencer::Pace::WaitThenLook;
    o.beforeWait = [this] { setExplanation(QStringLiteral("Awaiting Return Data from Modem")); };
    const ModemSequencer::Result r = m_sequencer.await(
        none ? ModemSequencer::deadlineIn(0) : deadline, {send, timeout, {w1, w2}}, o);
    const bool found = r.outcome == ModemSequencer::Outcome::Answered;
    if (found) {
        setExplanation(QStringLiteral("Data Returned from Modem"));
        m_statusWord = r.index == 0 ? kSuccess : kNoDialtone;
    } else if (r.looked) {
        m_statusWord = kUndetermined;
    }
    if (m_state.dialPending) {
        m_state.dialPending = false;
        changed();
    }
    return none || found;
}

void ModemTester::reportFailure(const QString& text) {
    setExplanation(m_pendingPortMessage.isEmpty() ? text : m_pendingPortMessage);
    m_pendingPortMessage.clear();
}

WithNotice<ModemTester::Press> ModemTester::testModemClicked() {
    if (auto refusal = m_outside.refusal())
        return {Press::PrefixMissing, std::move(refusal)};
    if (m_state.selectedPort == 0)
        return {Press::NoPortSelected, Notice{QStringLiteral("Select a port to test the modem."),
                                              Notice::kWarningTitle, Notice::Mark::None}};
    TestModem();
    return {Press::Ran, std::nullopt};
}

void ModemTester::dialSmsc(const QByteArray& dial) {
    AwaitMultiString(dial, "CONNECT", "NO DIALTONE", "ERROR", "BUSY", kDialTimeout);
}

ModemTester::Dialled ModemTester::reportDial(const QString& noDialtoneText) {
    if (m_statusWord == kSuccess) {
        setHeadline(kModemTestSuccessful);
        return Dialled::Connected;
    }
    if (m_statusWord != kNoDialtone && m_statusWord != kUndetermined) {
        setHeadline(QStringLiteral("Modem Test Completed"));
        setExplanation(QStringLiteral("Successfully Dialed SMSC"));
        return Dialled::Completed;
    }
    setHeadline(kModemTestFailed);
    reportFailure(m_statusWord == kNoDialtone ? noDialtoneText : kUndeterminedText);
    return Dialled::Failed;
}

void ModemTester::TestModem() {
    m_sequencer.setStopped(false);
    setBusy(true);
    m_state.refreshEnabled = false;
    m_state.testEnabled = false;
    m_state.autoDetectEnabled = false;
    setHeadline(QStringLiteral("Testing Modem"));
    const int port = m_state.selectedPort;
    if (!ComPorts::mobileModem(m_appPath, port).isEmpty()) {
        testMobileModem(port);
    } else if (port >= 1 && port <= ModemDialogState::kPorts && m_held[port - 1]) {
        // A port chosen before ModemManager took its device: opening it
        // would fight ModemManager for the modem.
        setHeadline(QStringLiteral("Modem Test Failed"));
        setExplanation(kHeldByModemManager);
        setHint(QString());
    } else {
        const QByteArray dial = dialCommand();
        setHeadline(QStringLiteral("Sending Data to Modem"));
        dialSmsc(dial);
        reportDial(kNoDialtoneText);
    }
    m_state.testEnabled = true;
    m_state.autoDetectEnabled = true;
    changed();
    setBusy(false);
}

int ModemTester::AutoDetectPort() {
    m_sequencer.setStopped(false);
    const QByteArray dial = dialCommand();
    lookAtPorts(listMobileModems(true));
    m_detectedPort = 0;
    for (int port = 1; port <= ModemDialogState::kPorts && !m_sequencer.stopped(); ++port) {
        // Opening a device ModemManager holds would fight it for the modem.
        if (m_held[port - 1])
            continue;
        const bool mobilePort = !ComPorts::mobileModem(m_appPath, port).isEmpty();
        selectPort(port);
        m_state.refreshEnabled = false;
        m_state.autoDetectEnabled = false;
        m_state.okEnabled = false;
        m_state.testEnabled = false;
        setHeadline(QStringLiteral("Sending Data to Modem at COM") + QString::number(port));
        if (!mobilePort)
            dialSmsc(dial);
        m_state.okEnabled = true;
        m_state.testEnabled = true;
        m_state.autoDetectEnabled = true;
        const Dialled d =
            mobilePort ? testMobileModem(port)
                       : reportDial(QStringLiteral(
                             "No Dialtone Detected. Please check if modem is connected to a "
                             "phoneline. You can use the system but you will not be able to send "
                             "messages from the application."));
        if (d == Dialled::Connected) {
            m_detectedPort = port;
            break;
        }
        if (d == Dialled::Completed)
            m_detectedPort = m_portNumber;
    }
    changed();
    return m_detectedPort;
}

WithNotice<ModemTester::Press> ModemTester::autoDetectClicked() {
    if (auto refusal = m_outside.refusal())
        return {Press::PrefixMissing, std::move(refusal)};
    setBusy(true);
    const int found = AutoDetectPort();
    if (found > 0) {
        selectPort(found);
        setHeadline(kModemTestSuccessful);
        // A mobile modem's operator and signal stay shown.
        if (ComPorts::mobileModem(m_appPath, found).isEmpty())
            setExplanation(QStringLiteral("Data Returned from Modem"));
        emit sendButtonEnabled(true);
        m_state.autoDetectEnabled = false;
    } else {
        setHeadline(kModemTestFailed);
        reportFailure(kNoDialtoneText);
    }
    m_state.portEnabled.fill(true);
    keepHeldDisabled();
    changed();
    setBusy(false);
    return {Press::Ran, std::nullopt};
}
