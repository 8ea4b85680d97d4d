#include "client/recipients/ui/frmGroups.h"

#include "client/recipients/ui/NumberLineDelegate.h"
#include "client/recipients/ui/frmGroupAddNumber.h"
#include "client/recipients/ui/frmGroupName.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"
#include "ui/PanelWidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace PanelWidgets;

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setToolTip(tip);
    // Enter in the group box must not press Select or move numbers.
    b->setAutoDefault(false);
    return b;
}

QStringList items(const QListWidget* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

// The highlighted row; a current row without highlight is none.
int currentRow(const QListWidget* l) {
    const QListWidgetItem* item = l->currentItem();
    return item && item->isSelected() ? l->row(item) : -1;
}

void showLines(QListWidget* l, const QStringList& lines) {
    if (items(l) == lines)
        return;
    l->clear();
    l->addItems(lines);
}

} // namespace

frmGroups::frmGroups(QString appPath, QStringList numberList, std::optional<Colour> backColour,
                     QWidget* parent)
    : QDialog(parent), m_appPath(appPath), m_backColour(backColour),
      m_groups(std::move(appPath), std::move(numberList)) {
    setObjectName("frmGroups");
    setWindowTitle("Group Manager");
    setModal(true);
    buildControls();

    connect(m_groupBox, &QComboBox::activated, this, &frmGroups::groupChosen);
    connect(m_groupBox, &QComboBox::editTextChanged, this,
            [this](const QString& text) { m_groups.editText(text); });
    connect(m_addAll, &QPushButton::clicked, this, &frmGroups::addAllClicked);
    connect(m_addOne, &QPushButton::clicked, this, &frmGroups::addOneClicked);
    connect(m_removeOne, &QPushButton::clicked, this, &frmGroups::removeOneClicked);
    connect(m_removeAll, &QPushButton::clicked, this, &frmGroups::removeAllClicked);
    connect(m_addFrequent, &QPushButton::clicked, this, &frmGroups::addFrequentClicked);
    connect(m_addNumber, &QPushButton::clicked, this, &frmGroups::addNumberClicked);
    connect(m_create, &QToolButton::clicked, this, &frmGroups::createClicked);
    connect(m_delete, &QToolButton::clicked, this, &frmGroups::deleteClicked);
    connect(m_save, &QToolButton::clicked, this, &frmGroups::saveClicked);
    connect(m_select, &QPushButton::clicked, this, &frmGroups::selectClicked);
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(Cancelled); });

    sync();
    paintBackground(this, m_backColour);
}

void frmGroups::buildControls() {
    m_groupBox = named(new QComboBox(this), "Combo3");
    m_groupBox->setEditable(true);
    m_groupBox->setInsertPolicy(QComboBox::NoInsert);
    // A completed name would be shown but not typed: "f" must not save as "Friends".
    m_groupBox->setCompleter(nullptr);
    m_groupBox->setToolTip("Group List");
    m_groupBox->setAccessibleName("Group List");
    m_groupBox->lineEdit()->setPlaceholderText(GroupManager::kPlaceholder);
    m_create = pictureButton(this, "Picture1", "new-group", "Create New Group");
    m_delete = pictureButton(this, "Picture2", "delete", "Delete Group");
    m_save = pictureButton(this, "Picture3", "save", "Save Members to Group");
    m_candidates = named(new QListWidget(this), "List4");
    m_candidates->setToolTip("Number List");
    m_members = named(new QListWidget(this), "List3");
    m_members->setToolTip("Selected Mobile Number List");
    for (QListWidget* l : {m_candidates, m_members})
        l->setItemDelegate(new NumberLineDelegate(l));
    m_addAll = button(this, "Command22", ">> >>", "Add All Numbers");
    m_addOne = button(this, "Command6", ">>", "Add Single Number");
    m_removeOne = button(this, "Command14", "<<", "Remove Single Number");
    m_removeAll = button(this, "Command3", "<< <<", "Remove All Numbers");
    m_addFrequent =
        button(this, "Command4", "Freq. Dialed", "Add all Freq. Dialed numbers to Number List.");
    m_addNumber = button(this, "Command5", "Add Number", "Add a new Mobile number to Number List.");
    // clang-format off
    m_select = button(this, "Command1", "Select", "Add all the Mobile Numbers from Selected Number List to Number List in Quorvel Messaging window.");
    // clang-format on
    m_cancel = button(this, "Command2", "Cancel", "Close the Group Manager.");

    auto* top = new QHBoxLayout;
    top->addWidget(m_groupBox, 1);
    top->addWidget(captioned(this, m_create, m_createCaption, "lblCreateGrp", "Create"));
    top->addWidget(captioned(this, m_delete, m_deleteCaption, "lblDelGroup", "Delete"));
    top->addWidget(captioned(this, m_save, m_saveCaption, "lblSave", "Save"));

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton* b : {m_addAll, m_addOne, m_removeOne, m_removeAll}) {
        b->setAccessibleName(b->toolTip()); // arrows read aloud say nothing
        moves->addWidget(b);
    }
    moves->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addLayout(top, 0, 0, 1, 3);
    auto* candidatesLabel = new QLabel("Number List", this);
    auto* membersLabel = new QLabel("Selected Mobile Number List", this);
    labelFor(candidatesLabel, m_candidates);
    labelFor(membersLabel, m_members);
    grid->addWidget(candidatesLabel, 1, 0);
    grid->addWidget(membersLabel, 1, 2);
    grid->addWidget(m_candidates, 2, 0);
    grid->addLayout(moves, 2, 1);
    grid->addWidget(m_members, 2, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_addFrequent);
    bottom->addWidget(m_addNumber);
    bottom->addStretch();
    bottom->addWidget(m_select);
    bottom->addWidget(m_cancel);
    grid->addLayout(bottom, 3, 0, 1, 3);
    // Left to right: the moves between the two lists come before the second.
    tabOrder(
        {m_candidates, m_addAll, m_addOne, m_removeOne, m_removeAll, m_members, m_addFrequent});
    resize(640, 400);
}

void frmGroups::groupChosen(int index) {
    act([&] { return m_groups.chooseGroup(index); });
}

void frmGroups::addAllClicked() {
    act([&] { return m_groups.addAllCandidates(); });
}

void frmGroups::addOneClicked() {
    act([&] { return m_groups.addOneCandidate(currentRow(m_candidates)); });
}

void frmGroups::removeOneClicked() {
    act([&] { return m_groups.removeOneMember(currentRow(m_members)); });
}

void frmGroups::removeAllClicked() {
    act([&] { return m_groups.removeAllMembers(); });
}

void frmGroups::addFrequentClicked() {
    m_groups.addFrequentCandidates();
    sync();
}

void frmGroups::addNumberClicked() {
    frmGroupAddNumber add(
        m_appPath, [this](const QString& entry) { m_groups.addCandidate(entry); }, m_backColour,
        this);
    add.exec();
    sync();
}

void frmGroups::createClicked() {
    m_groups.beginCreate();
    frmGroupName name(m_groups, this);
    name.exec();
    sync();
}

void frmGroups::deleteClicked() {
    act([&] { return m_groups.deleteGroup(); });
}

void frmGroups::saveClicked() {
    act([&] { return m_groups.saveMembers(); });
}

void frmGroups::selectClicked() {
    const auto question = m_groups.selectQuestion();
    const auto selected = m_groups.selectGroup(question && MessageBox::tell(*question));
    MessageBox::tell(selected.notice);
    m_selection = selected.value;
    if (m_selection)
        done(Selected);
}

void frmGroups::act(const std::function<std::optional<Notice>()>& operation) {
    MessageBox::tell(operation());
    sync();
}

void frmGroups::sync() {
    const QSignalBlocker block(m_groupBox);
    QStringList names;
    for (int i = 0; i < m_groupBox->count(); ++i)
        names << m_groupBox->itemText(i);
    if (names != m_groups.groups()) {
        m_groupBox->clear();
        m_groupBox->addItems(m_groups.groups());
    }
    if (m_groupBox->currentIndex() != m_groups.selected())
        m_groupBox->setCurrentIndex(m_groups.selected());
    if (m_groupBox->currentText() != m_groups.text())
        m_groupBox->setEditText(m_groups.text());
    showLines(m_candidates, m_groups.candidates());
    showLines(m_members, m_groups.members());
}
