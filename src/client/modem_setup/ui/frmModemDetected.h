#pragma once

#include "client/modem_setup/ConnectionSettings.h"
#include "client/modem_setup/ModemDialogState.h"
#include "client/modem_setup/ModemTester.h"
#include "client/modem_setup/OutsideLine.h"

#include <QDialog>
#include <array>

struct ClientSettings;
class ClickableLabel;
class ClockFace;
class MainWindowLink;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class SerialLine;

// The connection settings dialog ("Modem Port Detection"): Internet or
// Modem, the outside-line prefix, the port, and the port detection and modem
// test. It can be left only through OK.
class frmModemDetected : public QDialog {
    Q_OBJECT
public:
    // `line` is the dialog's serial port; it is let go when the dialog closes.
    frmModemDetected(ClientSettings& settings, MainWindowLink& mainWindow, const QString& appPath,
                     SerialLine& line, QWidget* parent = nullptr);
    ~frmModemDetected() override;

    // Shows the dialog modally, activation first, and returns when OK has
    // closed it.
    void showModal();
    // The dialog has been shown: the prefix, and the search offered in Modem
    // mode without a port.
    void activate();

    const ModemTester& tester() const { return m_tester; }

signals:
    // OK confirmed the Internet connection: the main window signs on to the
    // service.
    void internetConfirmed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Escape is no way out either.
    void reject() override {}

private:
    void internetChosen();
    void modemChosen();
    void outsideLineToggled();
    void okClicked();

    void buildControls();
    void load();
    void showState();
    void showChoice();
    void showPrefix();
    void showBusy(bool busy);
    void focusPrefixWhen(bool missing);
    // Asks the question the settings return, if any, and passes the answer on.
    void offerSearch(const std::optional<Notice>& question);
    // Shows a refused press's notice; a missing prefix gets the cursor.
    void pressed(const WithNotice<ModemTester::Press>& press);

    ClientSettings& m_settings;
    OutsideLine m_outside;
    ModemTester m_tester;
    ConnectionSettings m_connection;
    QGroupBox* Frame4 = nullptr; // Select Connection below
    QRadioButton* optInternet = nullptr;
    QRadioButton* optModem = nullptr;
    // The user's own details, sent to the service at the sign-on.
    QLineEdit* txtMobile = nullptr;
    QLineEdit* txtEmail = nullptr;
    QGroupBox* Frame3 = nullptr; // To dial an outside number
    QCheckBox* chkOutsideNo = nullptr;
    ClickableLabel* Label5 = nullptr;
    QLineEdit* txtOutsideNumber = nullptr;
    QLabel* Label4 = nullptr;
    QGroupBox* Frame2 = nullptr; // Select modem from COM ports below
    // Option1(1) to Option1(4) at [0] to [3].
    std::array<QRadioButton*, ModemDialogState::kPorts> Option1{};
    QGroupBox* Frame1 = nullptr; // Modem Information
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblModemMessage = nullptr;
    ClockFace* Picture1 = nullptr;
    QTimer* Timer1 = nullptr;
    QPushButton* Command3 = nullptr; // Auto Detect
    QPushButton* Command2 = nullptr; // Test Modem
    QPushButton* butRefresh = nullptr;
    QPushButton* Command1 = nullptr; // OK
    QButtonGroup* m_types = nullptr;
    QButtonGroup* m_ports = nullptr;
    bool m_waitCursor = false;
};
