#pragma once

#include "client/recipients/groups/GroupManager.h"
#include "common/Colour.h"

#include <QDialog>
#include <functional>
#include <optional>

class ClickableLabel;
class QComboBox;
class QListWidget;
class QPushButton;
class QToolButton;

// "Group Manager": groups created, deleted and filled from the candidates.
// It ends as Selected (members for the Number List), Cancelled, or Closed by
// its title bar; the main window acts on which.
class frmGroups : public QDialog {
    Q_OBJECT
public:
    enum Result { Closed = QDialog::Rejected, Selected = 2, Cancelled = 3 };

    frmGroups(QString appPath, QStringList numberList, std::optional<Colour> backColour,
              QWidget* parent = nullptr);

    const GroupManager& groups() const { return m_groups; }
    // Set when the window ended as Selected.
    const std::optional<GroupManager::Selection>& selection() const { return m_selection; }

    QComboBox* Combo3 = nullptr;
    QToolButton* Picture1 = nullptr; // Create
    ClickableLabel* lblCreateGrp = nullptr;
    QToolButton* Picture2 = nullptr; // Delete
    ClickableLabel* lblDelGroup = nullptr;
    QToolButton* Picture3 = nullptr; // Save
    ClickableLabel* lblSave = nullptr;
    QListWidget* List4 = nullptr; // candidates
    QListWidget* List3 = nullptr; // members
    QPushButton* Command22 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command14 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command1 = nullptr; // Select
    QPushButton* Command2 = nullptr; // Cancel

private:
    void buildControls();
    // Runs an operation of the state, shows what it says, then the state.
    void act(const std::function<std::optional<Notice>()>& operation);
    void sync();

    QString m_appPath;
    std::optional<Colour> m_backColour;
    GroupManager m_groups;
    std::optional<GroupManager::Selection> m_selection;
};
