#include "client/recipients/ui/frmOutlook.h"

#include "client/recipients/NumberEntry.h"
#include "client/recipients/ui/NumberLineDelegate.h"
#include "ui/BackColour.h"
#include "ui/PanelWidgets.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QMimeData>
#include <QPushButton>

using namespace PanelWidgets;

ContactsTreeWidget::ContactsTreeWidget(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setItemDelegate(new NumberLineDelegate(this));
}

void ContactsTreeWidget::setNodes(const QList<ContactsTree::Node>& nodes) {
    clear();
    m_byKey.clear();
    m_byKey.reserve(nodes.size());
    QList<QTreeWidgetItem*> top;
    for (const ContactsTree::Node& n : nodes) {
        QTreeWidgetItem* parent = n.parentKey.isEmpty() ? nullptr : m_byKey.value(n.parentKey);
        if (!n.parentKey.isEmpty() && !parent)
            continue;
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem;
        item->setText(0, n.text);
        // A long name hides the number; the tip shows the whole line.
        item->setToolTip(0, NumberEntry::displayText(n.text));
        item->setData(0, KeyRole, n.key);
        item->setData(0, TagRole, n.tag);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                       Qt::ItemIsDragEnabled);
        item->setCheckState(0, Qt::Unchecked);
        m_byKey.insert(n.key, item);
        if (!parent)
            top << item;
    }
    // Items join the view once, whole: far cheaper than one by one.
    addTopLevelItems(top);
    expandAll();
}

QString ContactsTreeWidget::dragText(const QTreeWidgetItem* item) {
    return tag(item) == ContactsTree::kNodeTag ? tag(item) : item->text(0);
}

QStringList ContactsTreeWidget::mimeTypes() const {
    return {QStringLiteral("text/plain")};
}

QMimeData* ContactsTreeWidget::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setText(dragText(items.first()));
    return mime;
}

frmOutlook::frmOutlook(QWidget* mainWindow) : QWidget(mainWindow), m_mainWindow(mainWindow) {
    setObjectName("frmOutlook");
    setWindowTitle("Quorvel - Contacts");
    tContacts = named(new ContactsTreeWidget(this), "tContacts");
    tContacts->setAccessibleName("Contacts");
    tContacts->setAccessibleDescription(
        "Tick contacts, then Add Selected puts them on the Number List");
    cmdAddAll = named(new QPushButton("Add All", this), "cmdAddAll");
    cmdAddSelected = named(new QPushButton("Add Selected", this), "cmdAddSelected");
    cmdClearAll = named(new QPushButton("Clear All", this), "cmdClearAll");
    Check1 = named(new QPushButton("Add Panel", this), "Check1");
    Check1->setCheckable(true);
    Check1->setAccessibleDescription("Docks the contacts beside the main window");
    Command1 = named(new QPushButton("Cancel", this), "Command1");
    connect(cmdAddAll, &QPushButton::clicked, this, &frmOutlook::addAllClicked);
    connect(cmdAddSelected, &QPushButton::clicked, this, &frmOutlook::addCheckedClicked);
    connect(cmdClearAll, &QPushButton::clicked, this, &frmOutlook::clearChecksClicked);
    connect(Check1, &QPushButton::toggled, this, &frmOutlook::dockToggled);
    connect(Command1, &QPushButton::clicked, this, &frmOutlook::closeClicked);
    auto* g = new QGridLayout(this);
    g->addWidget(tContacts, 0, 0, 1, 3);
    g->addWidget(cmdAddAll, 1, 0);
    g->addWidget(cmdAddSelected, 1, 1);
    g->addWidget(cmdClearAll, 1, 2);
    g->addWidget(Check1, 2, 0);
    g->addWidget(Command1, 2, 2);
    // Wider by hand, for long names.
    setMinimumWidth(kMinWidth);
    resize(kMinWidth, 520);
    setFloating(true);
}

void frmOutlook::showDocked(bool docked) {
    const QSignalBlocker quiet(Check1);
    Check1->setChecked(docked);
    Check1->setText(docked ? "Remove Panel" : "Add Panel");
}

void frmOutlook::paintDockButton(const std::optional<Colour>& colour) {
    paintBackground(Check1, colour);
}

void frmOutlook::setFloating(bool floating) {
    if (floating) {
        setParent(m_mainWindow, Qt::Tool);
        setMinimumWidth(kMinWidth);
        setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        setWindowFlags(Qt::Widget);
        // Docked, it keeps the width it has; the main window grows by that.
        setFixedWidth(width());
    }
}

void frmOutlook::closeEvent(QCloseEvent* event) {
    event->accept();
    if (isWindow())
        emit closedByUser();
}
