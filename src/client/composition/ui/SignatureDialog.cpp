#include "client/composition/ui/SignatureDialog.h"

#include "client/composition/SignatureFile.h"
#include "client/composition/ui/LineBoxGuard.h"
#include "client/settings/ClientSettings.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kDesignText = QStringLiteral("- Message sent by Quorvel.");
} // namespace

SignatureDialog::SignatureDialog(ClientSettings& settings, QString appPath, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_appPath(std::move(appPath)) {
    setObjectName("frmSignature");
    setWindowTitle("Change Signature");
    setModal(true);

    Label1 = new QLabel("Signature Text", this);
    Label1->setObjectName("Label1");
    Text1 = new QLineEdit(kDesignText, this);
    Text1->setObjectName("Text1");
    Text1->setMinimumWidth(260);
    Label1->setBuddy(Text1);
    chkPageInfo = new QCheckBox("Page Count && TimeStamp", this);
    chkPageInfo->setObjectName("chkPageInfo");
    Command1 = new QPushButton("Accept", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Command2 = new QPushButton("Cancel", this);
    Command2->setObjectName("Command2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 0, 1);
    grid->addWidget(chkPageInfo, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    grid->addLayout(buttons, 2, 0, 1, 2);

    m_guard = std::make_unique<LineBoxGuard>(Text1, "Quorvel");
    connect(m_guard.get(), &LineBoxGuard::changed, this, [this] { Text1_Change(); });
    connect(chkPageInfo, &QCheckBox::toggled, this, [this] { chkPageInfo_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    Form_Load();
}

SignatureDialog::~SignatureDialog() = default;

void SignatureDialog::Form_Load() {
    const SignatureFile file = SignatureFile::read(m_appPath);
    if (file.kind() != SignatureFile::Kind::Empty) {
        chkPageInfo->setChecked(file.pageInfo());
        Text1->setText(file.text());
    }
    chkPageInfo_Click();
    if (m_settings.BackColour) {
        paintBackground(this, *m_settings.BackColour);
        paintBackground(chkPageInfo, *m_settings.BackColour);
    }
}

void SignatureDialog::chkPageInfo_Click() {
    PageFlag = chkPageInfo->isChecked() ? SignatureFile::kPageIn : SignatureFile::kNoPage;
}

void SignatureDialog::Text1_Change() {
    if (Text1->text().size() <= SignatureFile::MaxLength)
        return;
    MessageBox::show("Only 30 Characters Allowed for Signatures", kQuorvelWarning,
                     MessageBox::Icon::Warning);
    Text1->setText(Text1->text().left(SignatureFile::MaxLength));
}

bool SignatureDialog::pageInfo() const {
    return PageFlag == SignatureFile::kPageIn;
}

void SignatureDialog::Command1_Click() {
    if (!SignatureFile::write(m_appPath, pageInfo(), Text1->text())) {
        MessageBox::show("The signature could not be saved in Config\\Sign.cfg.", kQuorvelWarning,
                         MessageBox::Icon::Warning);
        return;
    }
    accept();
}

void SignatureDialog::Command2_Click() {
    reject();
}
