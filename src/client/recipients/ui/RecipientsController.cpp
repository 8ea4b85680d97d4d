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
    m_c.Combo2->setPlaceholderText("Please Select a Number");
    m_c.Combo3->setPlaceholderText("Please Select a Group");
    // Drops arrive at the list's viewport.
    m_c.List4->viewport()->setAcceptDrops(true);
    m_c.List4->viewport()->installEventFilter(this);
    m_fields = new SingleContactFields(m_c.lblName, m_c.Text1, m_c.lblMobile, m_c.Text3,
                                       m_c.cmbCountryCode,
                                       "Mobile number must only contain digits        ", this);

    connect(m_c.Picture7, &QToolButton::clicked, this, [this] { Picture7_Click(); });
    connect(m_c.Picture8, &QToolButton::clicked, this, [this] { Picture8_Click(); });
    PanelWidgets::onChosen(m_c.optSelectAll, this, [this] { optSelectAll_Click(); });
    PanelWidgets::onChosen(m_c.optUnselectAll, this, [this] { optUnselectAll_Click(); });
    connect(m_c.Picture4, &QToolButton::clicked, this, [this] { Picture4_Click(); });
    connect(m_c.Picture16, &QToolButton::clicked, this, [this] { Picture16_Click(); });
    connect(m_c.Picture3, &QToolButton::clicked, this, [this] { Picture3_Click(); });
    connect(m_c.Picture18, &QToolButton::clicked, this, [this] { Picture18_Click(); });
    connect(m_c.Picture6, &QToolButton::clicked, this, [this] { Picture6_Click(); });
    connect(m_c.Picture19, &QToolButton::clicked, this, [this] { Picture19_Click(); });
    connect(m_c.Picture2, &QToolButton::clicked, this, [this] { Picture2_Click(); });
}

// --- Load and shutdown -------------------------------------------------------------------------

void RecipientsController::LoadNumberList() {
    m_c.List4->clear();
    const QStringList lines = NumberListFile::load(m_installation.folder());
    m_c.List4->setUpdatesEnabled(false);
    for (const QString& l : lines)
        AddEntry(l, true);
    m_c.List4->setUpdatesEnabled(true);
}

void RecipientsController::LoadFrequentNumbers() {
    m_frequent = FrequentNumbers::load(m_installation.folder());
    m_c.Combo2->clear();
    m_c.Combo2->addItems(m_frequent.items());
    m_c.Combo2->setCurrentIndex(-1);
}

void RecipientsController::LoadCountryCodes() {
    m_c.cmbCountryCode->clear();
    m_c.cmbCountryCode->addItems(LineFile::readAll(m_installation.file("Config\\ISDCodes.dat")));
    m_c.cmbCountryCode->setCurrentText(kDefaultCountry);
}

void RecipientsController::LoadGroups() {
    QStringList names = GroupFiles::readIndex(m_installation.folder());
    std::stable_sort(names.begin(), names.end(), &FrequentNumbers::before);
    m_c.Combo3->clear();
    m_c.Combo3->addItems(names);
    m_c.Combo3->setCurrentIndex(-1);
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
    m_c.List4->addItem(item);
    whitenWhenFilled();
}

QStringList RecipientsController::entries() const {
    QStringList out;
    out.reserve(m_c.List4->count());
    for (int i = 0; i < m_c.List4->count(); ++i)
        out << m_c.List4->item(i)->text();
    return out;
}

void RecipientsController::whitenWhenFilled() {
    if (m_c.List4->count() > 0)
        paintBase(m_c.List4, kWhite);
}

void RecipientsController::Picture7_Click() {
    // Only the highlighted entry counts; a current row without highlight is none.
    QListWidgetItem* current = m_c.List4->currentItem();
    const int highlighted = current && current->isSelected() ? m_c.List4->row(current) : -1;
    const auto row = NumberListRules::RemoveCurrentEntry(m_c.List4->count(), highlighted);
    if (!row)
        m_c.List4->setFocus();
    else if (*row >= 0)
        delete m_c.List4->takeItem(*row);
}

void RecipientsController::Picture8_Click() {
    NumberListRules::ClearNumberList(m_c.List4->count(), [this] { m_c.List4->clear(); });
}

void RecipientsController::setAllChecks(bool checked) {
    for (int i = 0; i < m_c.List4->count(); ++i)
        m_c.List4->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void RecipientsController::optSelectAll_Click() {
    setAllChecks(true);
}

void RecipientsController::optUnselectAll_Click() {
    setAllChecks(false);
}

void RecipientsController::List4_Drop(const QString& text) {
    for (const QString& line : NumberListRules::droppedEntries(text))
        AddEntry(line, true);
}

bool RecipientsController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_c.List4->viewport()) {
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
            List4_Drop(e->mimeData()->text());
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

void RecipientsController::Picture4_Click() {
    const auto o = SingleContact::AddSingleContact(m_fields->fields());
    m_fields->apply(o);
    if (!o.entry)
        return;
    AddEntry(*o.entry, true);
    // At once: the list reaches the file whole only at shutdown.
    if (!NumberListFile::append(m_installation.folder(), *o.entry))
        warnNotSaved();
    ClearSingleContact();
}

void RecipientsController::Picture16_Click() {
    ClearSingleContact();
}

void RecipientsController::ClearSingleContact() {
    m_fields->clear();
}

// --- Frequently dialled numbers
// ---------------------------------------------------------------------

void RecipientsController::Picture3_Click() {
    const auto o = SingleContact::AddFrequentNumber(m_fields->fields());
    m_fields->apply(o);
    if (!o.entry)
        return;
    const qsizetype at = m_frequent.AddFrequentNumber(*o.entry);
    if (at < 0)
        return;
    m_c.Combo2->insertItem(int(at), *o.entry);
    if (!m_frequent.save(m_installation.folder()))
        warn("The Freq. Dialled Number List could not be saved in Config\\SpeedNos.dat.");
    m_c.Combo2->setCurrentIndex(int(at));
    ClearSingleContact();
}

void RecipientsController::Picture18_Click() {
    if (const auto text = FrequentNumbers::TakeFrequentNumber(m_c.Combo2->currentText()))
        AddEntry(*text, true);
    whitenWhenFilled();
}

void RecipientsController::Picture6_Click() {
    const int index = m_c.Combo2->currentIndex();
    if (!m_frequent.DeleteFrequentNumber(index)) {
        m_c.Combo2->setFocus();
        return;
    }
    m_c.Combo2->removeItem(index);
    m_c.Combo2->setCurrentIndex(-1);
    if (!m_frequent.save(m_installation.folder()))
        warn("The Freq. Dialled Number List could not be saved in Config\\SpeedNos.dat.");
}

// --- Contact groups
// ---------------------------------------------------------------------------------

void RecipientsController::Picture19_Click() {
    const auto take =
        GroupFiles::entriesForNumberList(m_installation.folder(), m_c.Combo3->currentText());
    if (!take.refusal.isEmpty())
        MessageBox::show(take.refusal, kQuorvelWarning,
                         take.stop ? MessageBox::Icon::Critical : MessageBox::Icon::Warning);
    for (const QString& entry : take.entries)
        AddEntry(entry, true);
    whitenWhenFilled();
}

void RecipientsController::Picture2_Click() {
    frmGroups manager(m_installation.folder(), entries(), m_c.backColour(), m_c.window());
    const int result = manager.exec();
    if (result == frmGroups::Closed)
        return;
    if (result == frmGroups::Selected)
        for (const QString& entry : manager.selection()->entries)
            AddEntry(entry, true);
    LoadGroups();
    if (result == frmGroups::Selected && !manager.selection()->groupName.isEmpty())
        for (int i = 0; i < m_c.Combo3->count(); ++i)
            if (m_c.Combo3->itemText(i).trimmed() == manager.selection()->groupName) {
                m_c.Combo3->setCurrentIndex(i);
                break;
            }
}
