#pragma once

#include "client/composition/QuickMessageList.h"

#include <QDialog>
#include <QString>
#include <memory>

struct ClientSettings;
class ClickableLabel;
class LineBoxGuard;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

// "Add Quick Message": edits the list of config\QuickMsg.Dat, which is
// written back whole however the dialog is closed.
class QuickMessageDialog : public QDialog {
    Q_OBJECT
public:
    QuickMessageDialog(ClientSettings& settings, QString appPath, QWidget* parent = nullptr);
    ~QuickMessageDialog() override;

    // The list as it stands (after closing: as saved).
    QStringList entries() const { return m_list.entries(); }

    // Every way out (OK, Cancel, Escape, the close box) saves the list.
    void done(int result) override;

private:
    void load();
    void addClicked();
    void okClicked();
    void deleteClicked();
    bool addFromBox();
    void showList();

    QLabel* m_textLabel = nullptr;
    QLineEdit* m_text = nullptr;
    QToolButton* m_add = nullptr;
    ClickableLabel* m_addCaption = nullptr;
    QLabel* m_listLabel = nullptr;
    QListWidget* m_listView = nullptr;
    QToolButton* m_delete = nullptr;
    ClickableLabel* m_deleteCaption = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;

    ClientSettings& m_settings;
    QString m_appPath;
    QuickMessageList m_list;
    std::unique_ptr<LineBoxGuard> m_guard;
    bool m_unloaded = false;
};
