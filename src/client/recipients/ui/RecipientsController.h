#pragma once

#include "client/recipients/FrequentNumbers.h"

#include <QObject>
#include <QString>
#include <functional>

class Installation;
class RecipientsPanel;

// The recipients area of the main window: the Number List with its buttons
// and drop target, the Single Contact fields, and the frequently dialled
// numbers.
class RecipientsController : public QObject {
    Q_OBJECT
public:
    RecipientsController(RecipientsPanel& controls, const Installation& installation,
                         QObject* parent = nullptr);

    // Load and shutdown.
    void LoadNumberList();
    void LoadFrequentNumbers();
    void LoadCountryCodes();
    // Every line of Groups\Group.dat, untested, sorted by the box.
    void LoadGroups();
    bool SaveNumberList();

    // The one way a line reaches the Number List (also for groups and contacts).
    void AddEntry(const QString& text, bool checked = true);
    QStringList entries() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Number List.
    void removeSelectedClicked();
    void removeAllClicked();
    void selectAllChosen();
    void unselectAllChosen();
    void textDropped(const QString& text);
    void setAllChecks(bool checked);

    // Single Contact.
    void addSingleContactClicked();
    void clearSingleContact();

    // Frequently dialled numbers.
    void addToFrequentClicked();
    void takeFrequentClicked();
    void deleteFrequentClicked();

    // Contact groups.
    void takeGroupClicked();
    // The Group Manager.
    void editGroupsClicked();

    void whitenWhenFilled();
    void warnNotSaved();

    RecipientsPanel& m_c;
    const Installation& m_installation;
    FrequentNumbers m_frequent;
    class SingleContactFields* m_fields = nullptr;
};
