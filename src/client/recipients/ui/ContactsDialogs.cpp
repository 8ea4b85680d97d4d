#include "client/recipients/ui/ContactsDialogs.h"

#include "common/Setting.h"
#include "ui/PanelWidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace PanelWidgets;

frmOWarning::frmOWarning(bool& warningOff, QWidget* parent)
    : QDialog(parent), m_warningOff(warningOff) {
    setObjectName("frmOWarning");
    setWindowTitle("Quorvel Warning");
    setModal(true);
    // clang-format off
    auto* lblText = new QLabel("All numbers must be stored in MS Outlook in the international format eg.,+447700900461 and must incorporate the country code.", this);
    // clang-format on
    lblText->setWordWrap(true);
    m_dontShowAgain = named(new QCheckBox("Don't show this again.", this), "chkShow");
    auto* cmdYes = named(new QPushButton("Ok", this), "cmdYes");
    cmdYes->setDefault(true);
    connect(cmdYes, &QPushButton::clicked, this, &QDialog::accept);
    auto* l = new QVBoxLayout(this);
    l->addWidget(lblText);
    l->addWidget(m_dontShowAgain);
    l->addWidget(cmdYes, 0, Qt::AlignHCenter);
    setFixedWidth(360);
}

void frmOWarning::done(int result) {
    if (m_dontShowAgain->isChecked()) {
        Setting::write(Setting::ShowOutlook, "1");
        m_warningOff = true;
    }
    QDialog::done(result);
}

frmMessage::frmMessage(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setObjectName("frmMessage");
    setWindowTitle("Please wait ....");
    m_message = named(new QLabel("Processing Microsoft Outlook Contact...", this), "lblMessage");
    m_count = named(new QLabel("0", this), "lblCount");
    auto* l = new QVBoxLayout(this);
    l->addWidget(m_message);
    l->addWidget(m_count, 0, Qt::AlignHCenter);
}

void frmMessage::showCount(int count) {
    m_count->setText(QString::number(count));
}
