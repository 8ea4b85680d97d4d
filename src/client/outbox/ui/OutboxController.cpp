#include "client/outbox/ui/OutboxController.h"

#include "client/outbox/OperatorInbox.h"
#include "client/outbox/OutboxEntry.h"
#include "client/outbox/OutboxRules.h"
#include "client/outbox/ui/ListWidgetEntryList.h"
#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/frmDisplaySelMsgDetls.h"
#include "client/settings/ClientSettings.h"
#include "common/Installation.h"
#include "common/MessageBox.h"

#include <QListWidget>
#include <QToolButton>

namespace {

QStringList texts(const QListWidget* list) {
    QStringList out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// The highlighted entry, -1 when none is.
int highlighted(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

} // namespace

OutboxController::OutboxController(OutboxPanel& controls, ClientSettings& settings,
                                   const Installation& installation, QObject* parent)
    : QObject(parent), m_c(controls), m_settings(settings), m_installation(installation) {
    showDetails = [](frmDisplaySelMsgDetls& window) { window.exec(); };
    // A send adds thousands of entries: lay them out by the first one's
    // height instead of measuring every line again after each addition.
    for (QListWidget* list : {m_c.outbox, m_c.ListCellnet, m_c.schedulebox})
        list->setUniformItemSizes(true);
    connect(m_c.Picture12, &QAbstractButton::clicked, this, [this] { deleteSelectedClicked(); });
    connect(m_c.Picture1, &QAbstractButton::clicked, this, [this] { removeAllClicked(); });
    connect(m_c.outbox, &QListWidget::itemDoubleClicked, this, [this] { showDetailsOfSelected(); });
}

OutboxController::~OutboxController() = default;

QStringList OutboxController::outboxEntries() const {
    return texts(m_c.outbox);
}

QStringList OutboxController::listedEntries() const {
    return texts(m_c.outbox) + texts(m_c.schedulebox) + texts(m_c.ListCellnet);
}

void OutboxController::deleteSelectedClicked() {
    ListWidgetEntryList outbox(m_c.outbox);
    const auto chosen = OutboxRules::deleteSelected(outbox.all(), highlighted(m_c.outbox));
    const bool yes = MessageBox::tell(*chosen.notice);
    if (!chosen.value)
        return;
    if (yes)
        OutboxRules::takeOut(outbox, *chosen.value);
    if (m_c.outbox->count() > 0) {
        m_c.outbox->setCurrentRow(m_c.outbox->count() - 1);
        m_c.outbox->setFocus();
    }
}

void OutboxController::removeAllClicked() {
    const Notice notice = OutboxRules::removeAll(m_c.outbox->count());
    if (MessageBox::tell(notice))
        m_c.outbox->clear();
}

void OutboxController::showDetailsOfSelected() {
    const int row = highlighted(m_c.outbox);
    if (row < 0)
        return;
    frmDisplaySelMsgDetls window(OutboxEntry::details(m_c.outbox->item(row)->text()),
                                 m_settings.BackColour, m_c.window());
    showDetails(window);
}

void OutboxController::findEntry(const QString& key) {
    OutboxRules::lastEntryContaining(outboxEntries(), key, ExactOutboxPos);
}

bool OutboxController::AddOperatorQueue(const QStringList& entries) {
    m_c.ListCellnet->addItems(entries);
    return WriteToNOMInbox(OperatorInbox::kCellnet, entries);
}

bool OutboxController::WriteToNOMInbox(const QString& operatorCode, const QStringList& entries) {
    return OperatorInbox::WriteToNOMInbox(m_installation.folder(), m_settings.connection,
                                          operatorCode, entries);
}
