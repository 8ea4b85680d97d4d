#include "client/recipients/ui/frmGroupName.h"

#include "client/recipients/groups/GroupFiles.h"
#include "client/recipients/groups/GroupManager.h"
#include "common/MessageBox.h"
#include "ui/PanelWidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace PanelWidgets;

frmGroupName::frmGroupName(GroupManager& groups, QWidget* parent)
    : QDialog(parent), m_groups(groups) {
    setObjectName("frmGroupName");
    setWindowTitle("Select Group Name");
    setModal(true);
    m_caption = named(new QLabel("Group Name", this), "Label1");
    m_name = named(new QLineEdit(this), "Text1");
    m_caption->setBuddy(m_name);
    m_select = named(new QPushButton("Select", this), "Command1");
    m_select->setDefault(true);
    m_cancel = named(new QPushButton("Cancel", this), "Command2");
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_caption, 0, 0);
    grid->addWidget(m_name, 0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_select);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, 1, 0, 1, 2);

    m_name->installEventFilter(this);
    connect(m_select, &QPushButton::clicked, this, &frmGroupName::selectClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmGroupName::selectClicked() {
    const auto created = m_groups.createGroup(m_name->text());
    MessageBox::tell(created.notice);
    if (created.value)
        accept();
    else
        m_name->setFocus();
}

bool frmGroupName::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_name || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Keys that type nothing (moving, deleting, Enter for the default button)
    // and shortcuts pass; a pasted name is judged when it is used.
    const QString text = key->text();
    if (text.isEmpty() || text[0].unicode() < 32 || text[0].unicode() == 127 ||
        key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    if (GroupFiles::isNameCharacter(text[0]))
        return false;
    MessageBox::show(GroupFiles::kNotAllowed, kQuorvelWarning, MessageBox::Icon::Critical);
    return true;
}
