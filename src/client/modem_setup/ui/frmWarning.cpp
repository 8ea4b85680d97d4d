#include "client/modem_setup/ui/frmWarning.h"

#include "client/settings/ClientSettings.h"
#include "common/MessageBox.h"
#include "common/Setting.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmWarning::frmWarning(ClientSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setObjectName("frmWarning");
    setWindowTitle(kQuorvelWarning);
    setModal(true);
    lblWarningMessage = new QLabel("Please ensure that the latest version of Microsoft Internet "
                                   "Explorer is running on your machine.",
                                   this);
    lblWarningMessage->setObjectName("lblWarningMessage");
    lblWarningMessage->setWordWrap(true);
    chkShow = new QCheckBox("Don't show this again.", this);
    chkShow->setObjectName("chkShow");
    cmdYes = new QPushButton("Yes", this);
    cmdYes->setObjectName("cmdYes");
    cmdYes->setDefault(true);
    cmdNo = new QPushButton("No", this);
    cmdNo->setObjectName("cmdNo");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkShow);
    buttons->addStretch();
    buttons->addWidget(cmdYes);
    buttons->addWidget(cmdNo);
    auto* top = new QVBoxLayout(this);
    top->addWidget(lblWarningMessage);
    top->addLayout(buttons);
    setMinimumWidth(420);

    connect(cmdYes, &QPushButton::clicked, this, [this] { yesClicked(); });
    connect(cmdNo, &QPushButton::clicked, this, [this] { noClicked(); });
}

void frmWarning::yesClicked() {
    m_settings.IEWarningAccepted = true;
    close();
}

void frmWarning::noClicked() {
    m_settings.IEWarningAccepted = false;
    close();
}

void frmWarning::done(int result) {
    if (chkShow->isChecked()) {
        Setting::write(Setting::ShowOption, QStringLiteral("1"));
        m_settings.IEWarningOff = true;
    }
    QDialog::done(result);
}
