#pragma once

#include "client/outbox/RecipientSource.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class ClickableLabel;
class Installation;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QToolButton;
class RecipientsController;

// The recipients frames of the main window: the Number List, the Single
// Contact fields, the frequently dialled numbers and the contact groups.
// Send reads the checked entries through it.
class RecipientsPanel : public QWidget, public RecipientSource {
    Q_OBJECT
public:
    explicit RecipientsPanel(const Installation& installation, QWidget* parent = nullptr);
    ~RecipientsPanel() override;

    RecipientsController& controller() { return *m_controller; }
    void applyBackColour(const std::optional<Colour>& colour);
    // The colour last applied, for the windows the panel opens.
    const std::optional<Colour>& backColour() const { return m_backColour; }

    int numberListCount() const override;
    QStringList checkedEntries() const override;
    void colourNumberList(Colour colour) override;

    // Number List (Frame2).
    QGroupBox* Frame2 = nullptr;
    QListWidget* List4 = nullptr;
    QToolButton* Picture7 = nullptr; // delete one
    ClickableLabel* Label4 = nullptr;
    QToolButton* Picture8 = nullptr; // delete all
    ClickableLabel* Label5 = nullptr;
    QRadioButton* optSelectAll = nullptr;
    QRadioButton* optUnselectAll = nullptr;

    // Single Contact (Frame4).
    QGroupBox* Frame4 = nullptr;
    QLabel* lblName = nullptr;
    QLineEdit* Text1 = nullptr; // name
    QLabel* lblMobile = nullptr;
    QLineEdit* Text3 = nullptr; // mobile
    QComboBox* cmbCountryCode = nullptr;
    QToolButton* Picture4 = nullptr; // add single contact
    ClickableLabel* lblAddSingleContact = nullptr;
    QToolButton* Picture16 = nullptr; // clear single contact
    ClickableLabel* lblClear = nullptr;
    QToolButton* Picture3 = nullptr; // add to frequently dialled
    ClickableLabel* lblAddFreqDialedNo = nullptr;

    // Frequently dialled numbers (Frame6).
    QGroupBox* Frame6 = nullptr;
    QComboBox* Combo2 = nullptr;
    QToolButton* Picture18 = nullptr;
    ClickableLabel* lblAddFreqDialedNos = nullptr;
    QToolButton* Picture6 = nullptr;
    ClickableLabel* Label3 = nullptr;

    // Contact groups (Frame9) and contacts.
    QGroupBox* Frame9 = nullptr;
    QComboBox* Combo3 = nullptr;
    QToolButton* Picture19 = nullptr;
    ClickableLabel* lblAddGrpNos = nullptr;
    QToolButton* Picture2 = nullptr;
    ClickableLabel* Label2 = nullptr;
    QToolButton* picContact = nullptr;
    QToolButton* picOutLook = nullptr;
    ClickableLabel* Label7 = nullptr;

private:
    void buildControls();

    std::unique_ptr<RecipientsController> m_controller;
    std::optional<Colour> m_backColour;
};
