#include "client/recipients/ui/ContactsController.h"

#include "client/recipients/groups/GroupFiles.h"
#include "client/recipients/ui/ContactsDialogs.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/recipients/ui/RecipientsPanel.h"
#include "client/recipients/ui/frmOutlook.h"
#include "client/settings/ClientSettings.h"
#include "common/Installation.h"
#include "common/MessageBox.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QTreeWidgetItemIterator>

namespace {
// 180 twips.
constexpr int kTop = 12;
} // namespace

ContactsController::ContactsController(RecipientsPanel& recipients, ClientSettings& settings,
                                       const Installation& installation, QWidget* mainWindow,
                                       QObject* parent)
    : QObject(parent), m_recipients(recipients), m_settings(settings), m_installation(installation),
      m_mainWindow(mainWindow) {
    connect(&m_recipients, &RecipientsPanel::contactsRequested, this,
            [this] { OpenContactsWindow(); });
    connect(&m_recipients, &RecipientsPanel::groupChosen, this,
            [this](const QString& text) { groupChosen(text); });
}

ContactsController::~ContactsController() {
    m_stop = true;
}

bool ContactsController::IsOutlookAvailable() const {
    return m_settings.OutlookEnabled && store().isAvailable();
}

void ContactsController::LoadContactsSource() {
    const bool available = IsOutlookAvailable();
    m_recipients.showContactsSource(available);
    if (available && !m_window)
        LoadContactsWindow();
}

bool ContactsController::loaded() const {
    return !m_window.isNull();
}

frmOutlook& ContactsController::window() {
    if (!m_window)
        LoadContactsWindow();
    return *m_window;
}

void ContactsController::LoadContactsWindow() {
    if (m_loading)
        return;
    m_loading = true;
    auto* w = new frmOutlook(m_mainWindow);
    m_window = w;
    w->paintDockButton(m_settings.BackColour);
    OutlookItemCount = 0;
    connectWindow(w);

    const QString appPath = m_installation.folder();
    const QStringList speed = ContactsTree::readSpeedLines(appPath);
    const QList<GroupMembers> groups = ContactsTree::readGroups(appPath);
    const ContactsStore book = store();
    if (m_settings.OutlookEnabled && book.isAvailable()) {
        const AddressBook read = readAddressBook(book);
        // Closed while the book was read (the main window's shutdown deletes
        // this window): what was read is a part, and the window is gone.
        if (m_stop || !m_window) {
            m_loading = false;
            return;
        }
        GroupFiles::writeOutlookMembers(appPath, read.lines());
        m_nodes = ContactsTree::build(&read, speed, groups);
        showUnread(read.unread);
    } else {
        m_nodes = ContactsTree::build(nullptr, speed, groups);
    }
    w->tContacts->setNodes(m_nodes);
    m_loading = false;
}

void ContactsController::connectWindow(frmOutlook* w) {
    connect(w, &frmOutlook::addAllClicked, this, &ContactsController::addAllClicked);
    connect(w, &frmOutlook::addCheckedClicked, this, &ContactsController::addCheckedClicked);
    connect(w, &frmOutlook::clearChecksClicked, this, &ContactsController::clearChecksClicked);
    // The state change, so a screen reader's toggle docks it too.
    connect(w, &frmOutlook::dockToggled, this, &ContactsController::dockToggled);
    connect(w, &frmOutlook::closeClicked, this, &ContactsController::closeClicked);
    connect(w, &frmOutlook::closedByUser, this, &ContactsController::closeClicked);
    connect(w->tContacts, &QTreeWidget::itemChanged, this, &ContactsController::nodeChecked);
}

// A node's new state goes to every descendant.
void ContactsController::nodeChecked(QTreeWidgetItem* item) {
    if (m_propagating)
        return;
    m_propagating = true;
    const QString key = item->data(0, ContactsTreeWidget::KeyRole).toString();
    for (const QString& below : ContactsTree::descendants(m_nodes, key))
        if (QTreeWidgetItem* i = m_window->tContacts->node(below))
            i->setCheckState(0, item->checkState(0));
    m_propagating = false;
}

// Files the read had to leave out are said, never skipped silently; a tree
// of many such files is summed up after the first few.
void ContactsController::showUnread(const QStringList& unread) {
    if (unread.isEmpty())
        return;
    constexpr qsizetype kListed = 10;
    QStringList lines = unread.mid(0, kListed);
    if (unread.size() > kListed)
        lines << QStringLiteral("... and %1 more.").arg(unread.size() - kListed);
    MessageBox::show(QStringLiteral("These contacts files were not read:\n") + lines.join('\n'),
                     kQuorvelWarning, MessageBox::Icon::Information);
}

AddressBook ContactsController::readAddressBook(const ContactsStore& book) {
    m_wait = new frmMessage(m_mainWindow);
    m_wait->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Read off the window's thread: the windows keep answering and the
    // count keeps moving however large the book is.
    std::atomic_int count{0};
    AddressBook read;
    QThread* reader =
        QThread::create([&] { read = book.read([&](int n) { count = n; }, &m_stop); });
    QEventLoop loop;
    connect(reader, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    tick.setInterval(50);
    const auto show = [&] {
        if (OutlookItemCount == count)
            return;
        OutlookItemCount = count;
        m_wait->showCount(OutlookItemCount);
    };
    connect(&tick, &QTimer::timeout, this, show);
    reader->start();
    tick.start();
    loop.exec();
    reader->wait();
    delete reader;
    show();
    QApplication::restoreOverrideCursor();
    delete m_wait;
    m_wait = nullptr;
    return read;
}

void ContactsController::showWarning() {
    frmOWarning warning(m_settings.OutlookWarningOff, m_mainWindow);
    warning.exec();
}

void ContactsController::OpenContactsWindow() {
    if (!m_settings.OutlookWarningOff)
        showWarning();
    if (ContactsWindowOpen || m_loading)
        return;
    if (!m_window)
        LoadContactsWindow();
    if (!m_window)
        return; // the program closed while the window loaded
    frmOutlook& w = *m_window;
    ContactsWindowOpen = true;
    w.show();
    // Centred across the main window's client area, just below its top.
    if (QWidget* main = m_mainWindow) {
        const QRect area = main->contentsRect();
        w.move(main->mapToGlobal(QPoint(area.x() + (area.width() - w.width()) / 2, kTop)));
    }
    w.raise();
}

void ContactsController::addLeaves(bool checkedOnly) {
    frmOutlook& w = window();
    RecipientsController& list = m_recipients.controller();
    const auto take = [&](const QString& key) {
        const QTreeWidgetItem* i = w.tContacts->node(key);
        return i && (!checkedOnly || i->checkState(0) == Qt::Checked);
    };
    for (const QString& line : ContactsTree::contactLines(m_nodes, take))
        list.AddEntry(line, true);
    if (!ContactsDocked) {
        w.hide();
        ContactsWindowOpen = false;
    }
}

void ContactsController::addAllClicked() {
    addLeaves(false);
}

void ContactsController::addCheckedClicked() {
    addLeaves(true);
}

void ContactsController::clearChecksClicked() {
    m_propagating = true;
    for (QTreeWidgetItemIterator it(window().tContacts, QTreeWidgetItemIterator::Checked); *it;
         ++it)
        (*it)->setCheckState(0, Qt::Unchecked);
    m_propagating = false;
}

void ContactsController::dockToggled(bool checked) {
    frmOutlook& w = window();
    w.showDocked(checked);
    if (checked) {
        if (!ContactsDocked) {
            w.setFloating(false);
            emit dockRequested(&w);
            w.show();
            ContactsDocked = true;
        }
        return;
    }
    w.hide();
    ContactsWindowOpen = false;
    if (ContactsDocked) {
        ContactsDocked = false;
        emit undockRequested(&w);
        w.setFloating(true);
        w.hide();
    }
}

void ContactsController::closeClicked() {
    ContactsWindowOpen = false;
    dockToggled(false);
}

void ContactsController::groupChosen(const QString& text) {
    if (!GroupFiles::isOutlookGroup(text))
        return;
    // The same lines "Add To Number List" would take from the chosen item.
    if (GroupFiles::entriesForNumberList(m_installation.folder(), text).entries.isEmpty())
        MessageBox::show("Outlook Contacts are empty", kQuorvelWarning,
                         MessageBox::Icon::Information);
    if (!m_settings.OutlookWarningOff)
        showWarning();
}

void ContactsController::Unload() {
    m_stop = true;
    if (m_window) {
        if (ContactsDocked)
            dockToggled(false);
        delete m_window;
    }
    ContactsWindowOpen = false;
}
