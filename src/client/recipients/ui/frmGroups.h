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

private:
    void buildControls();

    void groupChosen(int index);
    void addAllClicked();
    void addOneClicked();
    void removeOneClicked();
    void removeAllClicked();
    void addFrequentClicked();
    void addNumberClicked();
    void createClicked();
    void deleteClicked();
    void saveClicked();
    void selectClicked();
    // Runs an operation of the state, shows what it says, then the state.
    void act(const std::function<std::optional<Notice>()>& operation);
    void sync();

    QComboBox* m_groupBox = nullptr;
    QToolButton* m_create = nullptr;
    ClickableLabel* m_createCaption = nullptr;
    QToolButton* m_delete = nullptr;
    ClickableLabel* m_deleteCaption = nullptr;
    QToolButton* m_save = nullptr;
    ClickableLabel* m_saveCaption = nullptr;
    QListWidget* m_candidates = nullptr;
    QListWidget* m_members = nullptr;
    QPushButton* m_addAll = nullptr;
    QPushButton* m_addOne = nullptr;
    QPushButton* m_removeOne = nullptr;
    QPushButton* m_removeAll = nullptr;
    QPushButton* m_addFrequent = nullptr;
    QPushButton* m_addNumber = nullptr;
    QPushButton* m_select = nullptr;
    QPushButton* m_cancel = nullptr;

    QString m_appPath;
    std::optional<Colour> m_backColour;
    GroupManager m_groups;
    std::optional<GroupManager::Selection> m_selection;
};
