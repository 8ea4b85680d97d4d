#include "client/recipients/ui/RecipientsPanel.h"

#include "client/recipients/ui/NumberLineDelegate.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/recipients/ui/SingleContactFields.h"
#include "common/Installation.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"
#include "ui/PanelWidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace PanelWidgets;

RecipientsPanel::RecipientsPanel(const Installation& installation, QWidget* parent)
    : QWidget(parent) {
    buildControls();
    for (QToolButton* contacts : {m_ownContacts, m_addressBook})
        connect(contacts, &QToolButton::clicked, this, &RecipientsPanel::contactsRequested);
    connect(m_groups, &QComboBox::textActivated, this, &RecipientsPanel::groupChosen);
    m_controller = std::make_unique<RecipientsController>(*this, installation);
}

RecipientsPanel::~RecipientsPanel() = default;

void RecipientsPanel::buildControls() {
    buildNumberList();
    buildSingleContact();
    buildFrequentNumbers();
    buildGroups();
    auto* frames = column(this);
    frames->addWidget(m_numberListFrame, 1);
    frames->addWidget(m_singleContactFrame);
    frames->addWidget(m_frequentFrame);
    frames->addWidget(m_groupsFrame);
}

void RecipientsPanel::buildNumberList() {
    m_numberListFrame = named(new QGroupBox("Number List", this), "Frame2");
    auto* nl = new QGridLayout(m_numberListFrame);
    m_numberList = named(new QListWidget(m_numberListFrame), "List4");
    m_numberList->setAcceptDrops(true);
    m_numberList->setItemDelegate(new NumberLineDelegate(m_numberList));
    m_numberList->setAccessibleName(m_numberListFrame->title());
    m_removeSelected =
        pictureButton(m_numberListFrame, "Picture7", "delete", "Remove Selected Number");
    m_removeAll = pictureButton(m_numberListFrame, "Picture8", "clear", "Remove all numbers");
    m_selectAll = named(new QRadioButton("Select All", m_numberListFrame), "optSelectAll");
    m_selectAll->setToolTip("Select all numbers");
    m_unselectAll = named(new QRadioButton("Unselect All", m_numberListFrame), "optUnselectAll");
    m_unselectAll->setToolTip("Unselect all numbers");
    nl->addWidget(m_numberList, 0, 0, 1, 4);
    nl->addWidget(
        captioned(m_numberListFrame, m_removeSelected, m_removeSelectedCaption, "Label4", "Delete"),
        1, 0);
    nl->addWidget(
        captioned(m_numberListFrame, m_removeAll, m_removeAllCaption, "Label5", "Delete All"), 1,
        1);
    nl->addWidget(m_selectAll, 1, 2);
    nl->addWidget(m_unselectAll, 1, 3);
}

void RecipientsPanel::buildSingleContact() {
    m_singleContactFrame = named(new QGroupBox("Single Contact", this), "Frame4");
    auto* sc = new QGridLayout(m_singleContactFrame);
    const auto fields = SingleContactFields::build(m_singleContactFrame, sc);
    m_nameLabel = fields.nameLabel;
    m_name = fields.name;
    m_mobileLabel = fields.mobileLabel;
    m_mobile = fields.mobile;
    m_countryCode = fields.countryCode;
    m_addSingleContact =
        pictureButton(m_singleContactFrame, "Picture4", "add-to-list", "Add To Number List");
    m_clearSingleContact =
        pictureButton(m_singleContactFrame, "Picture16", "reset", "Clear Name/Number Details");
    m_addToFrequent = pictureButton(m_singleContactFrame, "Picture3", "add",
                                    "Add Number to Freq. Dialled Number List");
    sc->addWidget(captioned(m_singleContactFrame, m_addSingleContact, m_addSingleContactCaption,
                            "lblAddSingleContact", "Add To Number List"),
                  3, 0, 1, 2);
    sc->addWidget(captioned(m_singleContactFrame, m_clearSingleContact, m_clearSingleContactCaption,
                            "lblClear", "Clear"),
                  3, 2);
    sc->addWidget(captioned(m_singleContactFrame, m_addToFrequent, m_addToFrequentCaption,
                            "lblAddFreqDialedNo", "Add Number to Freq. Dialled Number List"),
                  4, 0, 1, 3);
    sc->setColumnStretch(1, 1);
}

void RecipientsPanel::buildFrequentNumbers() {
    m_frequentFrame = named(new QGroupBox("Frequently Dialed Numbers", this), "Frame6");
    auto* fd = new QGridLayout(m_frequentFrame);
    m_frequent = named(new QComboBox(m_frequentFrame), "Combo2");
    m_frequent->setToolTip("Please select a Number");
    m_frequent->setAccessibleName(m_frequentFrame->title());
    m_takeFrequent =
        pictureButton(m_frequentFrame, "Picture18", "add-to-list", "Add To Number List");
    m_deleteFrequent = pictureButton(m_frequentFrame, "Picture6", "delete",
                                     "Delete Selected Freq. Dialled Number");
    fd->addWidget(m_frequent, 0, 0, 1, 2);
    fd->addWidget(captioned(m_frequentFrame, m_takeFrequent, m_takeFrequentCaption,
                            "lblAddFreqDialedNos", "Add To Number List"),
                  1, 0);
    fd->addWidget(
        captioned(m_frequentFrame, m_deleteFrequent, m_deleteFrequentCaption, "Label3", "Delete"),
        1, 1);
}

void RecipientsPanel::buildGroups() {
    m_groupsFrame = named(new QGroupBox("Contact Groups", this), "Frame9");
    auto* cg = new QGridLayout(m_groupsFrame);
    m_groups = named(new QComboBox(m_groupsFrame), "Combo3");
    m_groups->setToolTip("Please select a Group");
    m_groups->setAccessibleName(m_groupsFrame->title());
    m_takeGroup = pictureButton(m_groupsFrame, "Picture19", "add-to-list", "Add To Number List");
    m_editGroups = pictureButton(m_groupsFrame, "Picture2", "groups",
                                 "This allows you to configure contact groups");
    m_ownContacts = pictureButton(m_groupsFrame, "picContact", "contacts", "Quorvel contacts");
    m_addressBook = pictureButton(m_groupsFrame, "picOutLook", "contacts",
                                  "Microsoft Outlook and Quorvel Contacts");
    m_addressBook->hide();
    m_addressBook->setAccessibleName("Outlook");
    auto* contactsCell =
        captioned(m_groupsFrame, m_ownContacts, m_contactsCaption, "Label7", "Contact");
    // One of the two buttons shows, in the same place beside the caption.
    static_cast<QHBoxLayout*>(contactsCell->layout())->insertWidget(1, m_addressBook);
    cg->addWidget(m_groups, 0, 0, 1, 3);
    cg->addWidget(captioned(m_groupsFrame, m_takeGroup, m_takeGroupCaption, "lblAddGrpNos",
                            "Add To Number List"),
                  1, 0);
    cg->addWidget(captioned(m_groupsFrame, m_editGroups, m_editGroupsCaption, "Label2", "Edit"), 1,
                  1);
    cg->addWidget(contactsCell, 1, 2);
}

void RecipientsPanel::showContactsSource(bool addressBook) {
    m_addressBook->setVisible(addressBook);
    m_ownContacts->setVisible(!addressBook);
    m_contactsCaption->setText(addressBook ? "Outlook" : "Contact");
    m_contactsCaption->setToolTip(addressBook ? m_addressBook->toolTip()
                                              : m_ownContacts->toolTip());
}

void RecipientsPanel::applyBackColour(const std::optional<Colour>& colour) {
    m_backColour = colour;
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_numberListFrame, m_groupsFrame, m_frequentFrame, m_singleContactFrame, m_selectAll,
             m_unselectAll, m_removeAll, m_removeSelected, m_addToFrequent, m_deleteFrequent,
             m_editGroups, m_clearSingleContact, m_addSingleContact, m_takeGroup, m_takeFrequent})
        paintBackground(w, colour);
}

int RecipientsPanel::numberListCount() const {
    return m_numberList->count();
}

QStringList RecipientsPanel::checkedEntries() const {
    QStringList out;
    for (int i = 0; i < m_numberList->count(); ++i)
        if (m_numberList->item(i)->checkState() == Qt::Checked)
            out << m_numberList->item(i)->text();
    return out;
}

void RecipientsPanel::colourNumberList(Colour colour) {
    paintBase(m_numberList, colour);
}
