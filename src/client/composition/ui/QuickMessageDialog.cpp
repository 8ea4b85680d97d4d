#include "client/composition/ui/QuickMessageDialog.h"

#include "client/composition/ui/LineBoxGuard.h"
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

using PanelWidgets::captionLabel;
using PanelWidgets::pictureButton;

QuickMessageDialog::QuickMessageDialog(ClientSettings& settings, QString appPath, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_appPath(std::move(appPath)) {
    setObjectName("frmQuickMessage");
    setWindowTitle("Add Quick Message");
    setModal(true);

    m_textLabel = new QLabel("Quick Message", this);
    m_textLabel->setObjectName("lblQuickMessage");
    m_text = new QLineEdit(this);
    m_text->setObjectName("txtQuickMessage");
    m_text->setMaxLength(QuickMessageList::MaxLength);
    m_text->setToolTip("Enter a Quick message");
    m_text->setMinimumWidth(360);
    m_textLabel->setBuddy(m_text);
    m_add = pictureButton(this, "picAdd", "add", "Add To Quick Message List");
    m_addCaption = captionLabel(this, m_add, "lblAdd", "Add");
    m_listLabel = new QLabel("Quick Message List", this);
    m_listLabel->setObjectName("lblQuickMsgList");
    m_listView = new QListWidget(this);
    m_listView->setObjectName("lstQuickMessage");
    m_listView->setToolTip("Quick Message List");
    PanelWidgets::labelFor(m_listLabel, m_listView);
    m_delete = pictureButton(this, "picClear", "delete", "Clear Quick Message");
    m_deleteCaption = captionLabel(this, m_delete, "lblClear", "Delete");
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("cmdOk");
    m_ok->setDefault(true);
    m_cancel = new QPushButton("Cancel", this);
    m_cancel->setObjectName("cmdCancel");

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_textLabel, 0, 0, 1, 2);
    grid->addWidget(m_text, 1, 0);
    auto* add = new QHBoxLayout;
    add->addWidget(m_add);
    add->addWidget(m_addCaption);
    grid->addLayout(add, 1, 1);
    grid->addWidget(m_listLabel, 2, 0, 1, 2);
    grid->addWidget(m_listView, 3, 0);
    auto* clear = new QHBoxLayout;
    clear->addWidget(m_delete);
    clear->addWidget(m_deleteCaption);
    grid->addLayout(clear, 3, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);

    m_guard = std::make_unique<LineBoxGuard>(m_text, kQuorvelWarning);
    connect(m_add, &QToolButton::clicked, this, [this] { addClicked(); });
    connect(m_delete, &QToolButton::clicked, this, [this] { deleteClicked(); });
    connect(m_ok, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    load();
}

QuickMessageDialog::~QuickMessageDialog() = default;

void QuickMessageDialog::load() {
    m_list = QuickMessageList::load(m_appPath);
    showList();
    if (m_settings.BackColour) {
        paintBackground(this, *m_settings.BackColour);
        paintBackground(m_add, *m_settings.BackColour);
        paintBackground(m_delete, *m_settings.BackColour);
    }
}

void QuickMessageDialog::showList() {
    m_listView->clear();
    m_listView->addItems(m_list.entries());
}

bool QuickMessageDialog::addFromBox() {
    if (const auto refusal = m_list.add(m_text->text())) {
        MessageBox::tell(*refusal);
        m_text->setFocus();
        return false;
    }
    m_listView->addItem(m_list.entries().last());
    return true;
}

void QuickMessageDialog::addClicked() {
    if (!addFromBox())
        return;
    m_text->clear();
    m_text->setFocus();
}

void QuickMessageDialog::okClicked() {
    if (addFromBox())
        accept();
}

void QuickMessageDialog::deleteClicked() {
    const QListWidgetItem* current = m_listView->currentItem();
    const int selected = current && current->isSelected() ? m_listView->currentRow() : -1;
    if (const auto refusal = m_list.deleteRefusal(selected)) {
        MessageBox::tell(*refusal);
        return;
    }
    if (!MessageBox::tell(QuickMessageList::deleteQuestion()))
        return;
    m_list.remove(selected);
    delete m_listView->takeItem(selected);
    m_listView->setFocus();
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
