#pragma once

#include "client/recipients/contacts/ContactsStore.h"
#include "client/recipients/contacts/ContactsTree.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

struct ClientSettings;
class Installation;
class QWidget;
class RecipientsPanel;
class frmMessage;
class frmOutlook;
class QTreeWidgetItem;
class QWidget;

// The contacts window and everything that reaches it: the main window's
// contacts buttons, loading the window with the address book (the wait
// window counting while it is read), the number-format warning, docking the
// window beside the main window's frames, and the reserved group
// "OutlookContact" of the group box.
class ContactsController : public QObject {
    Q_OBJECT
public:
    // `mainWindow` owns the contacts windows.
    ContactsController(RecipientsPanel& recipients, ClientSettings& settings,
                       const Installation& installation, QWidget* mainWindow,
                       QObject* parent = nullptr);
    ~ContactsController() override;

    // The main window's load: the contacts buttons, and with the address book
    // available the contacts window loaded behind the wait window.
    void LoadContactsSource();
    // The option is on and the address book's folder can be read.
    bool IsOutlookAvailable() const;
    // What the contacts buttons and their caption open.
    void OpenContactsWindow();
    // Shutdown.
    void Unload();

    // Loaded on first need.
    frmOutlook& window();
    bool loaded() const;

    bool ContactsWindowOpen = false;
    bool ContactsDocked = false;
    int OutlookItemCount = 0;

    // The address book; tests point it elsewhere.
    std::function<ContactsStore()> store = [] { return ContactsStore::configured(); };

signals:
    // The main window places the panel beside the frames and grows as much.
    void dockRequested(QWidget* panel);
    // It takes the panel out again and shrinks as much.
    void undockRequested(QWidget* panel);

private:
    // A group chosen in the main window's group box.
    void groupChosen(const QString& text);
    // The contacts window's buttons.
    void addAllClicked();
    void addCheckedClicked();
    void clearChecksClicked();
    // "Add Panel" / "Remove Panel": docked beside the frames or floating.
    void dockToggled(bool checked);
    void closeClicked();
    void nodeChecked(QTreeWidgetItem* item);

    void connectWindow(frmOutlook* w);

    void LoadContactsWindow();
    void showUnread(const QStringList& unread);
    AddressBook readAddressBook(const ContactsStore& store);
    void showWarning();
    void addLeaves(bool checkedOnly);

    RecipientsPanel& m_recipients;
    ClientSettings& m_settings;
    const Installation& m_installation;
    QWidget* m_mainWindow;
    QPointer<frmOutlook> m_window;
    QList<ContactsTree::Node> m_nodes;
    frmMessage* m_wait = nullptr;
    std::atomic_bool m_stop{false};
    bool m_loading = false;
    bool m_propagating = false;
};
