#include "client/internet/ui/frmStatus.h"

#include "client/internet/ServerStatus.h"
#include "ui/PanelWidgets.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using PanelWidgets::named;

frmStatus::frmStatus(ServerStatus& status, QWidget* owner) : QDialog(owner), m_status(status) {
    setObjectName("frmStatus");
    setWindowTitle("Quorvel Server Response");
    lblStatus = named(new QLabel(this), "lblStatus");
    lblStatus->setFont(QFont("Arial", 10));
    lblStatus->setAlignment(Qt::AlignCenter);
    lblStatus->setWordWrap(true);
    lblStatus->setMinimumHeight(60);
    // The server's own text: shown as it is, never as a page.
    lblStatus->setTextFormat(Qt::PlainText);
    cmdClose = named(new QPushButton("Ok", this), "cmdClose");
    cmdConnect = named(new QPushButton("Connect", this), "cmdConnect");
    // Enter presses the button with the focus: "Ok" once it is enabled.

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    buttons->addWidget(cmdConnect);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus, 1);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(cmdClose, &QPushButton::clicked, &m_status, &ServerStatus::okClicked);
    connect(cmdConnect, &QPushButton::clicked, &m_status, &ServerStatus::connectClicked);
    connect(&m_status, &ServerStatus::changed, this, &frmStatus::refresh);
    refresh();
}

void frmStatus::refresh() {
    lblStatus->setText(m_status.message());
    // A screen reader says the message as the window comes up.
    setAccessibleDescription(m_status.message());
    cmdClose->setEnabled(m_status.okEnabled());
    cmdConnect->setEnabled(m_status.connectEnabled());
    if (m_status.visible() && isHidden())
        show();
    else if (!m_status.visible() && !isHidden())
        hide();
    if (cmdClose->isEnabled() && isVisible())
        cmdClose->setFocus();
}

// The close box and Escape do what "Ok" does, and nothing while it is disabled.
void frmStatus::closeEvent(QCloseEvent* event) {
    event->ignore();
    m_status.okClicked();
}

void frmStatus::reject() {
    m_status.okClicked();
}
