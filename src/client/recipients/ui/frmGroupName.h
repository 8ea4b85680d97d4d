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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Makes the group; the dialog closes when it was made.
    void selectClicked();

    QLabel* m_caption = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_select = nullptr;
    QPushButton* m_cancel = nullptr;
    GroupManager& m_groups;
};
