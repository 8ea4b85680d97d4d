#pragma once

#include <QDialog>

class GroupManager;
class QLabel;
class QLineEdit;
class QPushButton;

// "Select Group Name": the name of a new group, typed through a key filter
// that lets only letters, digits and "_" in.
class frmGroupName : public QDialog {
    Q_OBJECT
public:
    explicit frmGroupName(GroupManager& groups, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr; // Select
    QPushButton* Command2 = nullptr; // Cancel

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GroupManager& m_groups;
};
