#include "client/composition/ui/QuickMessageDialog.h"

#include "client/composition/ui/LineBoxGuard.h"
#include "client/composition/ui/NoticeBox.h"
#include "client/settings/ClientSettings.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"
#include "ui/PanelWidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {

using PanelWidgets::pictureButton;

ClickableLabel* captionFor(QWidget* parent, QToolButton* button, const char* name,
                           const QString& caption) {
    auto* l = new ClickableLabel(caption, parent);
    l->setObjectName(name);
    l->setToolTip(button->toolTip());
    l->setCursor(Qt::PointingHandCursor);
    QObject::connect(l, &ClickableLabel::clicked, button, &QToolButton::click);
    return l;
}

} // namespace

QuickMessageDialog::QuickMessageDialog(ClientSettings& settings, QString appPath, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_appPath(std::move(appPath)) {
    setObjectName("frmQuickMessage");
    setWindowTitle("Add Quick Message");
    setModal(true);

    lblQuickMessage = new QLabel("Quick Message", this);
    lblQuickMessage->setObjectName("lblQuickMessage");
    txtQuickMessage = new QLineEdit(this);
    txtQuickMessage->setObjectName("txtQuickMessage");
    txtQuickMessage->setMaxLength(QuickMessageList::MaxLength);
    txtQuickMessage->setToolTip("Enter a Quick message");
    txtQuickMessage->setMinimumWidth(360);
    lblQuickMessage->setBuddy(txtQuickMessage);
    picAdd = pictureButton(this, "picAdd", "add", "Add To Quick Message List");
    lblAdd = captionFor(this, picAdd, "lblAdd", "Add");
    lblQuickMsgList = new QLabel("Quick Message List", this);
    lblQuickMsgList->setObjectName("lblQuickMsgList");
    lstQuickMessage = new QListWidget(this);
    lstQuickMessage->setObjectName("lstQuickMessage");
    lstQuickMessage->setToolTip("Quick Message List");
    picClear = pictureButton(this, "picClear", "delete", "Clear Quick Message");
    lblClear = captionFor(this, picClear, "lblClear", "Delete");
    cmdOk = new QPushButton("OK", this);
    cmdOk->setObjectName("cmdOk");
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblQuickMessage, 0, 0, 1, 2);
    grid->addWidget(txtQuickMessage, 1, 0);
    auto* add = new QHBoxLayout;
    add->addWidget(picAdd);
    add->addWidget(lblAdd);
    grid->addLayout(add, 1, 1);
    grid->addWidget(lblQuickMsgList, 2, 0, 1, 2);
    grid->addWidget(lstQuickMessage, 3, 0);
    auto* clear = new QHBoxLayout;
    clear->addWidget(picClear);
    clear->addWidget(lblClear);
    grid->addLayout(clear, 3, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 4, 0, 1, 2);

    m_guard = std::make_unique<LineBoxGuard>(txtQuickMessage, kQuorvelWarning);
    connect(picAdd, &QToolButton::clicked, this, [this] { picAdd_Click(); });
    connect(picClear, &QToolButton::clicked, this, [this] { picClear_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    Form_Load();
}

QuickMessageDialog::~QuickMessageDialog() = default;

void QuickMessageDialog::Form_Load() {
    m_list = QuickMessageList::load(m_appPath);
    showList();
    if (m_settings.BackColour) {
        paintBackground(this, *m_settings.BackColour);
        paintBackground(picAdd, *m_settings.BackColour);
        paintBackground(picClear, *m_settings.BackColour);
    }
}

void QuickMessageDialog::showList() {
    lstQuickMessage->clear();
    lstQuickMessage->addItems(m_list.entries());
}

bool QuickMessageDialog::addFromBox() {
    if (const auto refusal = m_list.add(txtQuickMessage->text())) {
        showNotice(*refusal);
        txtQuickMessage->setFocus();
        return false;
    }
    lstQuickMessage->addItem(m_list.entries().last());
    return true;
}

void QuickMessageDialog::picAdd_Click() {
    if (!addFromBox())
        return;
    txtQuickMessage->clear();
    txtQuickMessage->setFocus();
}

void QuickMessageDialog::cmdOk_Click() {
    if (addFromBox())
        accept();
}

void QuickMessageDialog::picClear_Click() {
    const QListWidgetItem* current = lstQuickMessage->currentItem();
    const int selected = current && current->isSelected() ? lstQuickMessage->currentRow() : -1;
    if (const auto refusal = m_list.deleteRefusal(selected)) {
        showNotice(*refusal);
        return;
    }
    if (showNotice(QuickMessageList::deleteQuestion()) != MessageBox::Answer::Yes)
        return;
    m_list.remove(selected);
    delete lstQuickMessage->takeItem(selected);
    lstQuickMessage->setFocus();
}

void QuickMessageDialog::cmdCancel_Click() {
    reject();
}

void QuickMessageDialog::done(int result) {
    if (!m_unloaded) {
        m_unloaded = true;
        if (!m_list.save(m_appPath))
            MessageBox::show("The Quick message list could not be saved in config\\QuickMsg.Dat.",
                             kQuorvelWarning, MessageBox::Icon::Warning);
    }
    QDialog::done(result);
}
