#include "client/recipients/ui/RecipientsController.h"

#include "client/recipients/NumberEntry.h"
#include "client/recipients/NumberListFile.h"
#include "client/recipients/NumberListRules.h"
#include "client/recipients/NumberRules.h"
#include "client/recipients/SingleContact.h"
#include "client/recipients/groups/GroupFiles.h"
#include "client/recipients/ui/RecipientsPanel.h"
#include "client/recipients/ui/SingleContactFields.h"
#include "client/recipients/ui/frmGroups.h"
#include "common/InstallPath.h"
#include "common/Installation.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"
#include "ui/PanelWidgets.h"

#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QRadioButton>
#include <QToolButton>
#include <algorithm>

namespace {

const QString kDefaultCountry = QStringLiteral("United Kingdom  +44");

void warn(const QString& text) {
    MessageBox::show(text, kQuorvelWarning, MessageBox::Icon::Warning);
}

} // namespace

RecipientsController::RecipientsController(RecipientsPanel& controls,
                                           const Installation& installation, QObject* parent)
    : QObject(parent), m_c(controls), m_installation(installation) {
    m_c.m_frequent->setPlaceholderText("Please Select a Number");
    m_c.m_groups->setPlaceholderText("Please Select a Group");
    // Drops arrive at the list's viewport.
    m_c.m_numberList->viewport()->setAcceptDrops(true);
    m_c.m_numberList->viewport()->installEventFilter(this);
    m_fields = new SingleContactFields(m_c.m_nameLabel, m_c.m_name, m_c.m_mobileLabel, m_c.m_mobile,
                                       m_c.m_countryCode,
                                       "Mobile number must only contain digits        ", this);

    connect(m_c.m_removeSelected, &QToolButton::clicked, this, [this] { removeSelectedClicked(); });
    connect(m_c.m_removeAll, &QToolButton::clicked, this, [this] { removeAllClicked(); });
    PanelWidgets::onChosen(m_c.m_selectAll, this, [this] { selectAllChosen(); });
    PanelWidgets::onChosen(m_c.m_unselectAll, this, [this] { unselectAllChosen(); });
    connect(m_c.m_addSingleContact, &QToolButton::clicked, this,
            [this] { addSingleContactClicked(); });
    connect(m_c.m_clearSingleContact, &QToolButton::clicked, this,
            [this] { clearSingleContact(); });
    connect(m_c.m_addToFrequent, &QToolButton::clicked, this, [this] { addToFrequentClicked(); });
    connect(m_c.m_takeFrequent, &QToolButton::clicked, this, [this] { takeFrequentClicked(); });
    connect(m_c.m_deleteFrequent, &QToolButton::clicked, this, [this] { deleteFrequentClicked(); });
    connect(m_c.m_takeGroup, &QToolButton::clicked, this, [this] { takeGroupClicked(); });
    connect(m_c.m_editGroups, &QToolButton::clicked, this, [this] { editGroupsClicked(); });
}

// --- Load and shutdown -------------------------------------------------------------------------

void RecipientsController::LoadNumberList() {
    m_c.m_numberList->clear();
    const QStringList lines = NumberListFile::load(m_installation.folder());
    m_c.m_numberList->setUpdatesEnabled(false);
    for (const QString& l : lines)
        AddEntry(l, true);
    m_c.m_numberList->setUpdatesEnabled(true);
}

void RecipientsController::LoadFrequentNumbers() {
    m_frequent = FrequentNumbers::load(m_installation.folder());
    m_c.m_frequent->clear();
    m_c.m_frequent->addItems(m_frequent.items());
    m_c.m_frequent->setCurrentIndex(-1);
}

void RecipientsController::LoadCountryCodes() {
    m_c.m_countryCode->clear();
    m_c.m_countryCode->addItems(LineFile::readAll(m_installation.file("Config\\ISDCodes.dat")));
    m_c.m_countryCode->setCurrentText(kDefaultCountry);
}

void RecipientsController::LoadGroups() {
    QStringList names = GroupFiles::readIndex(m_installation.folder());
    std::stable_sort(names.begin(), names.end(), &FrequentNumbers::before);
    m_c.m_groups->clear();
    m_c.m_groups->addItems(names);
    m_c.m_groups->setCurrentIndex(-1);
}

bool RecipientsController::SaveNumberList() {
    if (NumberListFile::save(m_installation.folder(), entries()))
        return true;
    warnNotSaved();
    return false;
}

void RecipientsController::warnNotSaved() {
    warn("The Number List could not be saved in Config\\BudList.dat.");
}

// --- Number List
// -----------------------------------------------------------------------------------

void RecipientsController::AddEntry(const QString& text, bool checked) {
    auto* item = new QListWidgetItem(NumberEntry::withoutDirectionControls(text));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_c.m_numberList->addItem(item);
    whitenWhenFilled();
}

QStringList RecipientsController::entries() const {
    QStringList out;
    out.reserve(m_c.m_numberList->count());
    for (int i = 0; i < m_c.m_numberList->count(); ++i)
        out << m_c.m_numberList->item(i)->text();
    return out;
}

void RecipientsController::whitenWhenFilled() {
    if (m_c.m_numberList->count() > 0)
        paintBase(m_c.m_numberList, kWhite);
}

void RecipientsController::removeSelectedClicked() {
    // Only the highlighted entry counts; a current row without highlight is none.
    QListWidgetItem* current = m_c.m_numberList->currentItem();
    const int highlighted = current && current->isSelected() ? m_c.m_numberList->row(current) : -1;
    const int count = m_c.m_numberList->count();
    if (const auto refusal = NumberListRules::removeRefusal(count)) {
        MessageBox::tell(*refusal);
        m_c.m_numberList->setFocus();
        return;
    }
    if (!MessageBox::tell(NumberListRules::removeQuestion()))
        return;
    if (const int row = NumberListRules::removedRow(count, highlighted); row >= 0)
        delete m_c.m_numberList->takeItem(row);
}

void RecipientsController::removeAllClicked() {
    if (const auto refusal = NumberListRules::clearRefusal(m_c.m_numberList->count())) {
        MessageBox::tell(*refusal);
        return;
    }
    if (!MessageBox::tell(NumberListRules::clearQuestion()))
        return;
    m_c.m_numberList->clear();
    MessageBox::tell(NumberListRules::clearedNotice());
}

void RecipientsController::setAllChecks(bool checked) {
    for (int i = 0; i < m_c.m_numberList->count(); ++i)
        m_c.m_numberList->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void RecipientsController::selectAllChosen() {
    setAllChecks(true);
}

void RecipientsController::unselectAllChosen() {
    setAllChecks(false);
}

void RecipientsController::textDropped(const QString& text) {
    for (const QString& line : NumberListRules::droppedEntries(text))
        AddEntry(line, true);
}

bool RecipientsController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_c.m_numberList->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDropEvent*>(event);
            if (!e->mimeData()->hasText())
                return false;
            e->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (!e->mimeData()->hasText())
                return false;
            e->acceptProposedAction();
            textDropped(e->mimeData()->text());
            return true;
        }
        default:
            return false;
        }
    }
    return QObject::eventFilter(watched, event);
}

// --- Single Contact
// ---------------------------------------------------------------------------------

void RecipientsController::addSingleContactClicked() {
    const auto o = SingleContact::AddSingleContact(m_fields->fields());
    m_fields->apply(o);
    if (!o.entry)
        return;
    AddEntry(*o.entry, true);
    // At once: the list reaches the file whole only at shutdown.
    if (!NumberListFile::append(m_installation.folder(), *o.entry))
        warnNotSaved();
    clearSingleContact();
}

void RecipientsController::clearSingleContact() {
    m_fields->clear();
}

// --- Frequently dialled numbers
// ---------------------------------------------------------------------

void RecipientsController::addToFrequentClicked() {
    const auto o = SingleContact::AddFrequentNumber(m_fields->fields());
    m_fields->apply(o);
    if (!o.entry)
        return;
    const auto added = m_frequent.addFrequentNumber(*o.entry);
    MessageBox::tell(added.notice);
    const qsizetype at = added.value;
    if (at < 0)
        return;
    m_c.m_frequent->insertItem(int(at), *o.entry);
    if (!m_frequent.save(m_installation.folder()))
        warn("The Freq. Dialled Number List could not be saved in Config\\SpeedNos.dat.");
    m_c.m_frequent->setCurrentIndex(int(at));
    clearSingleContact();
}

void RecipientsController::takeFrequentClicked() {
    const QString text = m_c.m_frequent->currentText();
    if (const auto refusal = FrequentNumbers::takeRefusal(text))
        MessageBox::tell(*refusal);
    else
        AddEntry(text, true);
    whitenWhenFilled();
}

void RecipientsController::deleteFrequentClicked() {
    const int index = m_c.m_frequent->currentIndex();
    if (const auto refusal = m_frequent.deleteFrequentNumber(index)) {
        MessageBox::tell(*refusal);
        m_c.m_frequent->setFocus();
        return;
    }
    m_c.m_frequent->removeItem(index);
    m_c.m_frequent->setCurrentIndex(-1);
    if (!m_frequent.save(m_installation.folder()))
        warn("The Freq. Dialled Number List could not be saved in Config\\SpeedNos.dat.");
}

// --- Contact groups
// ---------------------------------------------------------------------------------

void RecipientsController::takeGroupClicked() {
    const auto take =
        GroupFiles::entriesForNumberList(m_installation.folder(), m_c.m_groups->currentText());
    if (!take.refusal.isEmpty())
        MessageBox::show(take.refusal, kQuorvelWarning,
                         take.stop ? MessageBox::Icon::Critical : MessageBox::Icon::Warning);
    for (const QString& entry : take.entries)
        AddEntry(entry, true);
    whitenWhenFilled();
}

void RecipientsController::editGroupsClicked() {
    frmGroups manager(m_installation.folder(), entries(), m_c.backColour(), m_c.window());
    const int result = manager.exec();
    if (result == frmGroups::Closed)
        return;
    if (result == frmGroups::Selected)
        for (const QString& entry : manager.selection()->entries)
            AddEntry(entry, true);
    LoadGroups();
    if (result == frmGroups::Selected && !manager.selection()->groupName.isEmpty())
        for (int i = 0; i < m_c.m_groups->count(); ++i)
            if (m_c.m_groups->itemText(i).trimmed() == manager.selection()->groupName) {
                m_c.m_groups->setCurrentIndex(i);
                break;
            }
}
