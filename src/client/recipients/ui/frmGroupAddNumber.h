#pragma once

#include "common/Colour.h"

#include <QDialog>
#include <functional>
#include <optional>

class ClickableLabel;
class QComboBox;
class QPushButton;
class QToolButton;
class SingleContactFields;

// "Add Number": a name and number typed as in the Single Contact frame,
// handed to the Group Manager's candidates. Nothing is written to any file.
class frmGroupAddNumber : public QDialog {
    Q_OBJECT
public:
    frmGroupAddNumber(QString appPath, std::function<void(const QString&)> addCandidate,
                      const std::optional<Colour>& backColour, QWidget* parent = nullptr);
    ~frmGroupAddNumber() override;

private:
    // Validates and hands the entry on; false after a refusal.
    bool add();
    // The entry handed on, the fields cleared for the next.
    void addClicked();
    // The entry handed on, the dialog closed.
    void okClicked();

    QComboBox* m_countryCode = nullptr;
    QToolButton* m_add = nullptr;
    ClickableLabel* m_addCaption = nullptr;
    QToolButton* m_clear = nullptr;
    ClickableLabel* m_clearCaption = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;

    std::function<void(const QString&)> m_addCandidate;
    SingleContactFields* m_fields = nullptr;
};
