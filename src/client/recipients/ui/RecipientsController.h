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

    // Number List.
    void Picture7_Click(); // RemoveCurrentEntry
    void Picture8_Click(); // ClearNumberList
    void optSelectAll_Click();
    void optUnselectAll_Click();
    void List4_Drop(const QString& text);

    // Single Contact.
    void Picture4_Click(); // AddSingleContact
    void Picture16_Click();
    void ClearSingleContact();

    // Frequently dialled numbers.
    void Picture3_Click();  // AddFrequentNumber
    void Picture18_Click(); // TakeFrequentNumber
    void Picture6_Click();  // DeleteFrequentNumber
    const FrequentNumbers& frequentNumbers() const { return m_frequent; }

    // Contact groups.
    void Picture19_Click(); // AddGroupToNumberList
    void Picture2_Click();  // the Group Manager

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setAllChecks(bool checked);
    void whitenWhenFilled();
    void warnNotSaved();

    RecipientsPanel& m_c;
    const Installation& m_installation;
    FrequentNumbers m_frequent;
    class SingleContactFields* m_fields = nullptr;
};
