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

    QLabel* lblQuickMessage = nullptr;
    QLineEdit* txtQuickMessage = nullptr;
    QToolButton* picAdd = nullptr;
    ClickableLabel* lblAdd = nullptr;
    QLabel* lblQuickMsgList = nullptr;
    QListWidget* lstQuickMessage = nullptr;
    QToolButton* picClear = nullptr;
    ClickableLabel* lblClear = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    void Form_Load();
    void picAdd_Click();
    void cmdOk_Click();
    void picClear_Click();
    void cmdCancel_Click();

    // The list as it stands (after closing: as saved).
    QStringList entries() const { return m_list.entries(); }

    // Every way out (OK, Cancel, Escape, the close box) saves the list.
    void done(int result) override;

private:
    bool addFromBox();
    void showList();

    ClientSettings& m_settings;
    QString m_appPath;
    QuickMessageList m_list;
    std::unique_ptr<LineBoxGuard> m_guard;
    bool m_unloaded = false;
};
