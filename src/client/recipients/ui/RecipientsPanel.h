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

    // The contacts button: the address book's or our own, with its caption.
    void showContactsSource(bool addressBook);

signals:
    // A contacts button or its caption was clicked.
    void contactsRequested();
    // A group was chosen in the group box.
    void groupChosen(const QString& text);

private:
    // The controller is this panel's other half: it works the controls.
    friend class RecipientsController;

    void buildControls();
    void buildNumberList();
    void buildSingleContact();
    void buildFrequentNumbers();
    void buildGroups();

    // Number List (Frame2).
    QGroupBox* m_numberListFrame = nullptr;
    QListWidget* m_numberList = nullptr;
    QToolButton* m_removeSelected = nullptr;
    ClickableLabel* m_removeSelectedCaption = nullptr;
    QToolButton* m_removeAll = nullptr;
    ClickableLabel* m_removeAllCaption = nullptr;
    QRadioButton* m_selectAll = nullptr;
    QRadioButton* m_unselectAll = nullptr;

    // Single Contact (Frame4).
    QGroupBox* m_singleContactFrame = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_name = nullptr;
    QLabel* m_mobileLabel = nullptr;
    QLineEdit* m_mobile = nullptr;
    QComboBox* m_countryCode = nullptr;
    QToolButton* m_addSingleContact = nullptr;
    ClickableLabel* m_addSingleContactCaption = nullptr;
    QToolButton* m_clearSingleContact = nullptr;
    ClickableLabel* m_clearSingleContactCaption = nullptr;
    QToolButton* m_addToFrequent = nullptr;
    ClickableLabel* m_addToFrequentCaption = nullptr;

    // Frequently dialled numbers (Frame6).
    QGroupBox* m_frequentFrame = nullptr;
    QComboBox* m_frequent = nullptr;
    QToolButton* m_takeFrequent = nullptr;
    ClickableLabel* m_takeFrequentCaption = nullptr;
    QToolButton* m_deleteFrequent = nullptr;
    ClickableLabel* m_deleteFrequentCaption = nullptr;

    // Contact groups (Frame9) and contacts.
    QGroupBox* m_groupsFrame = nullptr;
    QComboBox* m_groups = nullptr;
    QToolButton* m_takeGroup = nullptr;
    ClickableLabel* m_takeGroupCaption = nullptr;
    QToolButton* m_editGroups = nullptr;
    ClickableLabel* m_editGroupsCaption = nullptr;
    QToolButton* m_ownContacts = nullptr;
    QToolButton* m_addressBook = nullptr;
    ClickableLabel* m_contactsCaption = nullptr;

    std::unique_ptr<RecipientsController> m_controller;
    std::optional<Colour> m_backColour;
};
