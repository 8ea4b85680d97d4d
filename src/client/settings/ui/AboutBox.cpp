#include "client/settings/ui/AboutBox.h"

#include "client/settings/ClientSettings.h"
#include "ui/BackColour.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Quorvel");
constexpr int kMajor = 3;
constexpr int kMinor = 0;
} // namespace

QString AboutBox::versionText() {
    return "Version " + QString::number(kMajor) + "." + QString::number(kMinor);
}

AboutBox::AboutBox(const ClientSettings& settings, QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About " + kTitle);
    auto* lblTitle = new QLabel(kTitle, this);
    lblTitle->setObjectName("lblTitle");
    QFont f = lblTitle->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 4);
    lblTitle->setFont(f);
    auto* lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName("lblVersion");
    auto* contact = new QPlainTextEdit(this);
    contact->setObjectName("txtContact");
    contact->setReadOnly(true);
    contact->setAccessibleName("Contact");
    contact->setPlainText("Quorvel sends SMS text messages from your desktop, through a modem "
                          "and your operator's message centre or through the Quorvel web "
                          "service.\n\nSupport: the Quorvel team, support@quorvel.example");
    auto* cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    auto* l = new QVBoxLayout(this);
    l->addWidget(lblTitle);
    l->addWidget(lblVersion);
    l->addWidget(contact);
    l->addWidget(cmdOK, 0, Qt::AlignRight);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    paintBackground(this, settings.BackColour);
    resize(420, 260);
}
