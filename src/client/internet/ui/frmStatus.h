#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class ServerStatus;

// "Quorvel Server Response": the server's or the client's message and the
// buttons "Ok" and "Connect", drawn from the status the delivery sets.
class frmStatus : public QDialog {
    Q_OBJECT
public:
    frmStatus(ServerStatus& status, QWidget* owner);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void refresh();

    QLabel* lblStatus = nullptr;
    QPushButton* cmdClose = nullptr;   // "Ok"
    QPushButton* cmdConnect = nullptr; // "Connect"
    ServerStatus& m_status;
};
