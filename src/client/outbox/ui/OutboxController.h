#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct ClientSettings;
class Installation;
class OutboxPanel;
class frmDisplaySelMsgDetls;

// The outbox of the main window: delete one, remove all, details, finding an
// entry, and handing entries to the operator queue.
class OutboxController : public QObject {
    Q_OBJECT
public:
    OutboxController(OutboxPanel& controls, ClientSettings& settings,
                     const Installation& installation, QObject* parent = nullptr);
    ~OutboxController() override;

    void deleteSelectedClicked();
    void removeAllClicked();
    void showDetailsOfSelected();
    // Shows the details window modally; tests replace it to look at the window.
    std::function<void(frmDisplaySelMsgDetls&)> showDetails;

    // Sets ExactOutboxPos to the last entry containing `key`, if any does.
    void findEntry(const QString& key);
    int ExactOutboxPos = 0;

    // The entries of one recipient at once: one inbox append for all of them.
    // False when the inbox could not be written.
    bool AddOperatorQueue(const QStringList& entries);
    bool WriteToNOMInbox(const QString& operatorCode, const QStringList& entries);

    QStringList outboxEntries() const;
    // Every entry the window holds: outbox, scheduled list, operator queue.
    QStringList listedEntries() const;

private:
    OutboxPanel& m_c;
    ClientSettings& m_settings;
    const Installation& m_installation;
};
