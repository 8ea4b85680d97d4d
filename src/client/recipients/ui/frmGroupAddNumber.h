#pragma once

#include "common/Colour.h"

#include <QDialog>
#include <functional>
#include <optional>

class ClickableLabel;
class QComboBox;
class QLabel;
class QLineEdit;
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

    QLabel* lblName = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* lblMobile = nullptr;
    QLineEdit* Text3 = nullptr;
    QComboBox* cmbCountryCode = nullptr;
    QToolButton* Picture4 = nullptr;
    ClickableLabel* lblAddSingleContact = nullptr;
    QToolButton* Picture16 = nullptr;
    ClickableLabel* lblClear = nullptr;
    QPushButton* Command1 = nullptr; // OK
    QPushButton* Command2 = nullptr; // Cancel

private:
    // Validates and hands the entry on; false after a refusal.
    bool add();

    std::function<void(const QString&)> m_addCandidate;
    SingleContactFields* m_fields = nullptr;
};
