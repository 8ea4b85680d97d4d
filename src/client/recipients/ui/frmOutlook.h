#pragma once

#include "client/recipients/contacts/ContactsTree.h"
#include "common/Colour.h"

#include <QTreeWidget>
#include <QWidget>
#include <optional>

class QPushButton;

// The contacts tree: every node carries its key and tag; a drag carries the
// leaf's line, or "node" for a branch (which the Number List ignores).
class ContactsTreeWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit ContactsTreeWidget(QWidget* parent = nullptr);

    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int TagRole = Qt::UserRole + 1;

    // Replaces the tree by `nodes` (parents before children).
    void setNodes(const QList<ContactsTree::Node>& nodes);
    QTreeWidgetItem* node(const QString& key) const { return m_byKey.value(key); }
    static QString tag(const QTreeWidgetItem* item) { return item->data(0, TagRole).toString(); }
    static QString dragText(const QTreeWidgetItem* item);

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;

private:
    QHash<QString, QTreeWidgetItem*> m_byKey;
};

// The contacts window ("Quorvel - Contacts"): the tree and its buttons. It
// floats over the main window or sits docked beside its frames.
class frmOutlook : public QWidget {
    Q_OBJECT
public:
    explicit frmOutlook(QWidget* mainWindow);

    static constexpr int kMinWidth = 320;

    // "Add Panel" / "Remove Panel" as the window is docked or not, without
    // telling anyone.
    void showDocked(bool docked);
    void paintDockButton(const std::optional<Colour>& colour);

    // Floating over `mainWindow`, or a plain panel for its layout.
    void setFloating(bool floating);

signals:
    void addAllClicked();
    void addCheckedClicked();
    void clearChecksClicked();
    // The dock button's state changed, also by a screen reader's toggle.
    void dockToggled(bool docked);
    void closeClicked();
    // The user closed the floating window by its title bar.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The controller fills the tree and reads its checks.
    friend class ContactsController;

    QWidget* m_mainWindow;
    ContactsTreeWidget* tContacts = nullptr;
    QPushButton* cmdAddAll = nullptr;
    QPushButton* cmdAddSelected = nullptr;
    QPushButton* cmdClearAll = nullptr;
    QPushButton* Check1 = nullptr; // "Add Panel" / "Remove Panel", push-style check box
    QPushButton* Command1 = nullptr;
};
