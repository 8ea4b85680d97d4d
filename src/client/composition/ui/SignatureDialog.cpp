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

    m_label = new QLabel("Signature Text", this);
    m_label->setObjectName("Label1");
    m_text = new QLineEdit(kDesignText, this);
    m_text->setObjectName("Text1");
    m_text->setMinimumWidth(260);
    m_label->setBuddy(m_text);
    m_pageInfo = new QCheckBox("Page Count && TimeStamp", this);
    m_pageInfo->setObjectName("chkPageInfo");
    m_accept = new QPushButton("Accept", this);
    m_accept->setObjectName("Command1");
    m_accept->setDefault(true);
    m_cancel = new QPushButton("Cancel", this);
    m_cancel->setObjectName("Command2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_label, 0, 0);
    grid->addWidget(m_text, 0, 1);
    grid->addWidget(m_pageInfo, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);

    m_guard = std::make_unique<LineBoxGuard>(m_text, "Quorvel");
    connect(m_guard.get(), &LineBoxGuard::changed, this, [this] { signatureEdited(); });
    connect(m_pageInfo, &QCheckBox::toggled, this, [this] { pageInfoSwitched(); });
    connect(m_accept, &QPushButton::clicked, this, [this] { acceptClicked(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    load();
}

SignatureDialog::~SignatureDialog() = default;

void SignatureDialog::load() {
    const SignatureFile file = SignatureFile::read(m_appPath);
    if (file.kind() != SignatureFile::Kind::Empty) {
        m_pageInfo->setChecked(file.pageInfo());
        m_text->setText(file.text());
    }
    pageInfoSwitched();
    if (m_settings.BackColour) {
        paintBackground(this, *m_settings.BackColour);
        paintBackground(m_pageInfo, *m_settings.BackColour);
    }
}

void SignatureDialog::pageInfoSwitched() {
    m_pageFlag = m_pageInfo->isChecked() ? SignatureFile::kPageIn : SignatureFile::kNoPage;
}

void SignatureDialog::signatureEdited() {
    if (m_text->text().size() <= SignatureFile::MaxLength)
        return;
    MessageBox::show("Only 30 Characters Allowed for Signatures", kQuorvelWarning,
                     MessageBox::Icon::Warning);
    m_text->setText(m_text->text().left(SignatureFile::MaxLength));
}

bool SignatureDialog::pageInfo() const {
    return m_pageFlag == SignatureFile::kPageIn;
}

QString SignatureDialog::text() const {
    return m_text->text();
}

void SignatureDialog::acceptClicked() {
    if (!SignatureFile::write(m_appPath, pageInfo(), m_text->text())) {
        MessageBox::show("The signature could not be saved in Config\\Sign.cfg.", kQuorvelWarning,
                         MessageBox::Icon::Warning);
        return;
    }
    accept();
}
