#include "client/recipients/ui/frmGroupName.h"

#include "client/recipients/groups/GroupFiles.h"
#include "client/recipients/groups/GroupManager.h"
#include "client/recipients/ui/NoticeBox.h"
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
    Label1 = named(new QLabel("Group Name", this), "Label1");
    Text1 = named(new QLineEdit(this), "Text1");
    Label1->setBuddy(Text1);
    Command1 = named(new QPushButton("Select", this), "Command1");
    Command1->setDefault(true);
    Command2 = named(new QPushButton("Cancel", this), "Command2");
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    grid->addLayout(buttons, 1, 0, 1, 2);

    Text1->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, [this] {
        const auto created = m_groups.createGroup(Text1->text());
        NoticeBox::show(created.notice);
        if (created.value)
            accept();
        else
            Text1->setFocus();
    });
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

bool frmGroupName::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Text1 || event->type() != QEvent::KeyPress)
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
