#pragma once

#include "client/modem_setup/ModemDialogState.h"
#include "client/modem_setup/OutsideLine.h"
#include "common/ModemSequencer.h"
#include "common/Notice.h"
#include "mobile/MobileModems.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>
#include <vector>

class SerialLine;

// The modem side of the connection dialog: finding the ports that open,
// test-dialling the SMSC on the chosen one, and dialling from each port in
// turn until one connects. The dialog's single port stays open after a dial
// (the call ends when it is closed). Every wait keeps events running, so the
// window stays responsive and redraws its clock; waits run on the installed
// clock.
class ModemTester : public QObject {
    Q_OBJECT
public:
    // The modem status word, kept from one test to the next.
    static const QString kSuccess;
    static const QString kNoDialtone;
    static const QString kUndetermined;
    // The pending port message.
    static const QString kPortInUse;
    static const QString kHeldByModemManager;

    // What a button press did: ran, or refused with the notice it comes with.
    enum class Press { Ran, PrefixMissing, NoPortSelected };

    // `line` and `outside` must outlive the tester.
    ModemTester(SerialLine& line, QString appPath, OutsideLine& outside, QObject* parent = nullptr);
    ~ModemTester() override;

    // What Test Modem says of a mobile modem, from what ModemManager says of
    // it (none: not listed).
    struct MobileVerdict {
        bool ready = false;
        QString headline;
        QString explanation;
    };
    static MobileVerdict mobileVerdict(const std::optional<MobileModem>& modem);
    // The ModemManager asked; the system bus's unless set.
    void useModemManager(const MobileModems& modems) { m_mobile = modems; }

    const ModemDialogState& state() const { return m_state; }
    QString statusWord() const { return m_statusWord; }
    QString pendingPortMessage() const { return m_pendingPortMessage; }

    // The dialog opens: a mobile-modem port's button names its modem, and a
    // port whose device ModemManager holds is disabled. Nothing is written.
    void markMobilePorts();
    // butRefresh.
    void DetectModem();
    // Command2 ("Test Modem"): the prefix and port checks, then TestModem.
    // PrefixMissing asks the window to put the cursor into the prefix box.
    WithNotice<Press> testModemClicked();
    void TestModem();
    // Command3 ("Auto Detect"): the prefix check, then the search and its report.
    WithNotice<Press> autoDetectClicked();
    // The same as pressing "Auto Detect".
    WithNotice<Press> MainAutoDetect() { return autoDetectClicked(); }
    // Dials from COM1 to COM4 until one connects; the port found, 0 for none.
    int AutoDetectPort();
    // Option1 clicked: the port held so far is closed.
    void switchToPort(int port);
    // The user chose a port button: the chosen one again is no click, and
    // none counts while a dial waits for its answer.
    void choosePort(int port);
    // Sends on the chosen port and waits for w1 or w2 (w3 and w4 are not
    // looked for); true when one came. Sets the status word.
    bool AwaitMultiString(const QByteArray& send, const QByteArray& w1, const QByteArray& w2,
                          const QByteArray& w3, const QByteArray& w4, int timeout);
    // The client's reading of the SMSC number; a ticked prefix box also
    // sets the prefix. A file that holds no number is said at once.
    QString ReadConfigFile();

    // The dialog's layout for a connection type (0 Modem, else Internet).
    void applyConnectionLayout(bool modem);
    void setBusy(bool busy);
    // Clears the selection without the click's side effects.
    void clearSelection();
    // The dialog is closing: a running wait or search ends at once and the
    // port is closed, so Brindle can open it.
    void release();

signals:
    // Any part of state() changed.
    void stateChanged();
    void busyChanged(bool busy);
    // The main window's send button.
    void sendButtonEnabled(bool enabled);
    // What the user is to be told now, in the middle of a test or search:
    // the window shows it before the sequence goes on.
    void said(const Notice& notice);

private:
    // How a dial ended: the modem connected, failed, or (a status word left
    // from before) the SMSC counts as dialled.
    enum class Dialled { Connected, Failed, Completed };
    void dialSmsc(const QByteArray& dial);
    // ModemManager's modems, with `name` each written on a port line; none
    // without ModemManager.
    std::vector<MobileModem> listMobileModems(bool name);
    // The held ports and the tool tips.
    void lookAtPorts(const std::vector<MobileModem>& mobile);
    // Asks ModemManager instead of dialling.
    Dialled testMobileModem(int port);
    MobileModems modemManager() const;
    void keepHeldDisabled();
    // The report of the last dial, by the status word.
    Dialled reportDial(const QString& noDialtoneText);
    void selectPort(int port);
    void openChosenPort();
    void closePort();
    QByteArray dialCommand();
    // The explanation after a failed dial: the pending port message once, else `text`.
    void reportFailure(const QString& text);
    void setHeadline(const QString& text);
    void setExplanation(const QString& text);
    void setHint(const QString& text);
    void changed();

    SerialLine& m_line;
    QString m_appPath;
    OutsideLine& m_outside;
    ModemDialogState m_state;
    // The port number the line is set to (the chosen button's, or the one
    // detection tried last).
    int m_portNumber = 0;
    QString m_statusWord;
    QString m_pendingPortMessage;
    int m_detectedPort = 0;
    std::optional<MobileModems> m_mobile;
    // A modem ModemManager has that the last Refresh found no line for.
    QString m_unplacedModem;
    // Ports whose device ModemManager holds, as the last detection found.
    std::array<bool, ModemDialogState::kPorts> m_held{};
    // Stopped while the dialog is closing.
    ModemSequencer m_sequencer{m_line};
};
