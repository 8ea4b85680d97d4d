#include "client/recipients/ui/frmGroups.h"

#include "client/recipients/ui/NoticeBox.h"
#include "client/recipients/ui/NumberLineDelegate.h"
#include "client/recipients/ui/frmGroupAddNumber.h"
#include "client/recipients/ui/frmGroupName.h"
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

    connect(Combo3, &QComboBox::activated, this,
            [this](int index) { act([&] { return m_groups.chooseGroup(index); }); });
    connect(Combo3, &QComboBox::editTextChanged, this,
            [this](const QString& text) { m_groups.editText(text); });
    connect(Command22, &QPushButton::clicked, this,
            [this] { act([&] { return m_groups.addAllCandidates(); }); });
    connect(Command6, &QPushButton::clicked, this,
            [this] { act([&] { return m_groups.addOneCandidate(currentRow(List4)); }); });
    connect(Command14, &QPushButton::clicked, this,
            [this] { act([&] { return m_groups.removeOneMember(currentRow(List3)); }); });
    connect(Command3, &QPushButton::clicked, this,
            [this] { act([&] { return m_groups.removeAllMembers(); }); });
    connect(Command4, &QPushButton::clicked, this, [this] {
        m_groups.addFrequentCandidates();
        sync();
    });
    connect(Command5, &QPushButton::clicked, this, [this] {
        frmGroupAddNumber add(
            m_appPath, [this](const QString& entry) { m_groups.addCandidate(entry); }, m_backColour,
            this);
        add.exec();
        sync();
    });
    connect(Picture1, &QToolButton::clicked, this, [this] {
        m_groups.beginCreate();
        frmGroupName name(m_groups, this);
        name.exec();
        sync();
    });
    connect(Picture2, &QToolButton::clicked, this,
            [this] { act([&] { return m_groups.deleteGroup(); }); });
    connect(Picture3, &QToolButton::clicked, this,
            [this] { act([&] { return m_groups.saveMembers(); }); });
    connect(Command1, &QPushButton::clicked, this, [this] {
        const auto question = m_groups.selectQuestion();
        const auto selected = m_groups.selectGroup(question && NoticeBox::show(*question));
        NoticeBox::show(selected.notice);
        m_selection = selected.value;
        if (m_selection)
            done(Selected);
    });
    connect(Command2, &QPushButton::clicked, this, [this] { done(Cancelled); });

    sync();
    paintBackground(this, m_backColour);
}

void frmGroups::buildControls() {
    Combo3 = named(new QComboBox(this), "Combo3");
    Combo3->setEditable(true);
    Combo3->setInsertPolicy(QComboBox::NoInsert);
    // A completed name would be shown but not typed: "f" must not save as "Friends".
    Combo3->setCompleter(nullptr);
    Combo3->setToolTip("Group List");
    Combo3->lineEdit()->setPlaceholderText(GroupManager::kPlaceholder);
    Picture1 = pictureButton(this, "Picture1", "new-group", "Create New Group");
    Picture2 = pictureButton(this, "Picture2", "delete", "Delete Group");
    Picture3 = pictureButton(this, "Picture3", "save", "Save Members to Group");
    List4 = named(new QListWidget(this), "List4");
    List4->setToolTip("Number List");
    List3 = named(new QListWidget(this), "List3");
    List3->setToolTip("Selected Mobile Number List");
    for (QListWidget* l : {List4, List3})
        l->setItemDelegate(new NumberLineDelegate(l));
    Command22 = button(this, "Command22", ">> >>", "Add All Numbers");
    Command6 = button(this, "Command6", ">>", "Add Single Number");
    Command14 = button(this, "Command14", "<<", "Remove Single Number");
    Command3 = button(this, "Command3", "<< <<", "Remove All Numbers");
    Command4 =
        button(this, "Command4", "Freq. Dialed", "Add all Freq. Dialed numbers to Number List.");
    Command5 = button(this, "Command5", "Add Number", "Add a new Mobile number to Number List.");
    // clang-format off
    Command1 = button(this, "Command1", "Select", "Add all the Mobile Numbers from Selected Number List to Number List in Quorvel Messaging window.");
    // clang-format on
    Command2 = button(this, "Command2", "Cancel", "Close the Group Manager.");

    auto* top = new QHBoxLayout;
    top->addWidget(Combo3, 1);
    top->addWidget(captioned(this, Picture1, lblCreateGrp, "lblCreateGrp", "Create"));
    top->addWidget(captioned(this, Picture2, lblDelGroup, "lblDelGroup", "Delete"));
    top->addWidget(captioned(this, Picture3, lblSave, "lblSave", "Save"));

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton* b : {Command22, Command6, Command14, Command3})
        moves->addWidget(b);
    moves->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addLayout(top, 0, 0, 1, 3);
    grid->addWidget(new QLabel("Number List", this), 1, 0);
    grid->addWidget(new QLabel("Selected Mobile Number List", this), 1, 2);
    grid->addWidget(List4, 2, 0);
    grid->addLayout(moves, 2, 1);
    grid->addWidget(List3, 2, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Command4);
    bottom->addWidget(Command5);
    bottom->addStretch();
    bottom->addWidget(Command1);
    bottom->addWidget(Command2);
    grid->addLayout(bottom, 3, 0, 1, 3);
    resize(640, 400);
}

void frmGroups::act(const std::function<std::optional<Notice>()>& operation) {
    NoticeBox::show(operation());
    sync();
}

void frmGroups::sync() {
    const QSignalBlocker block(Combo3);
    QStringList names;
    for (int i = 0; i < Combo3->count(); ++i)
        names << Combo3->itemText(i);
    if (names != m_groups.groups()) {
        Combo3->clear();
        Combo3->addItems(m_groups.groups());
    }
    if (Combo3->currentIndex() != m_groups.selected())
        Combo3->setCurrentIndex(m_groups.selected());
    if (Combo3->currentText() != m_groups.text())
        Combo3->setEditText(m_groups.text());
    showLines(List4, m_groups.candidates());
    showLines(List3, m_groups.members());
}
