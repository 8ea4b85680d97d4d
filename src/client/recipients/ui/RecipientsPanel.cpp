#include "client/recipients/ui/RecipientsPanel.h"

#include "client/recipients/ui/NumberLineDelegate.h"
#include "client/recipients/ui/RecipientsController.h"
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
    m_controller = std::make_unique<RecipientsController>(*this, installation);
}

RecipientsPanel::~RecipientsPanel() = default;

void RecipientsPanel::buildControls() {
    Frame2 = named(new QGroupBox("Number List", this), "Frame2");
    auto* nl = new QGridLayout(Frame2);
    List4 = named(new QListWidget(Frame2), "List4");
    List4->setAcceptDrops(true);
    List4->setItemDelegate(new NumberLineDelegate(List4));
    Picture7 = pictureButton(Frame2, "Picture7", "delete", "Remove Selected Number");
    Picture8 = pictureButton(Frame2, "Picture8", "clear", "Remove all numbers");
    optSelectAll = named(new QRadioButton("Select All", Frame2), "optSelectAll");
    optSelectAll->setToolTip("Select all numbers");
    optUnselectAll = named(new QRadioButton("Unselect All", Frame2), "optUnselectAll");
    optUnselectAll->setToolTip("Unselect all numbers");
    nl->addWidget(List4, 0, 0, 1, 4);
    nl->addWidget(captioned(Frame2, Picture7, Label4, "Label4", "Delete"), 1, 0);
    nl->addWidget(captioned(Frame2, Picture8, Label5, "Label5", "Delete All"), 1, 1);
    nl->addWidget(optSelectAll, 1, 2);
    nl->addWidget(optUnselectAll, 1, 3);

    // Single Contact
    Frame4 = named(new QGroupBox("Single Contact", this), "Frame4");
    auto* sc = new QGridLayout(Frame4);
    lblName = named(new QLabel("Name", Frame4), "lblName");
    Text1 = named(new QLineEdit(Frame4), "Text1");
    Text1->setToolTip("Enter a Name");
    lblMobile = named(new QLabel("Mobile", Frame4), "lblMobile");
    Text3 = named(new QLineEdit(Frame4), "Text3");
    Text3->setToolTip("Enter a Mobile number");
    cmbCountryCode = named(new QComboBox(Frame4), "cmbCountryCode");
    cmbCountryCode->setEditable(true);
    cmbCountryCode->setInsertPolicy(QComboBox::NoInsert);
    cmbCountryCode->setToolTip("Select a Country code");
    Picture4 = pictureButton(Frame4, "Picture4", "add-to-list", "Add To Number List");
    Picture16 = pictureButton(Frame4, "Picture16", "reset", "Clear Name/Number Details");
    Picture3 = pictureButton(Frame4, "Picture3", "add", "Add Number to Freq. Dialled Number List");
    sc->addWidget(lblName, 0, 0);
    sc->addWidget(Text1, 0, 1, 1, 2);
    sc->addWidget(lblMobile, 1, 0);
    sc->addWidget(Text3, 1, 1, 1, 2);
    sc->addWidget(new QLabel("Country Code", Frame4), 2, 0);
    sc->addWidget(cmbCountryCode, 2, 1, 1, 2);
    sc->addWidget(captioned(Frame4, Picture4, lblAddSingleContact, "lblAddSingleContact",
                            "Add To Number List"),
                  3, 0, 1, 2);
    sc->addWidget(captioned(Frame4, Picture16, lblClear, "lblClear", "Clear"), 3, 2);
    sc->addWidget(captioned(Frame4, Picture3, lblAddFreqDialedNo, "lblAddFreqDialedNo",
                            "Add Number to Freq. Dialled Number List"),
                  4, 0, 1, 3);
    sc->setColumnStretch(1, 1);

    // Frequently dialled numbers
    Frame6 = named(new QGroupBox("Frequently Dialed Numbers", this), "Frame6");
    auto* fd = new QGridLayout(Frame6);
    Combo2 = named(new QComboBox(Frame6), "Combo2");
    Combo2->setToolTip("Please select a Number");
    Picture18 = pictureButton(Frame6, "Picture18", "add-to-list", "Add To Number List");
    Picture6 = pictureButton(Frame6, "Picture6", "delete", "Delete Selected Freq. Dialled Number");
    fd->addWidget(Combo2, 0, 0, 1, 2);
    fd->addWidget(captioned(Frame6, Picture18, lblAddFreqDialedNos, "lblAddFreqDialedNos",
                            "Add To Number List"),
                  1, 0);
    fd->addWidget(captioned(Frame6, Picture6, Label3, "Label3", "Delete"), 1, 1);

    // Contact groups and contacts
    Frame9 = named(new QGroupBox("Contact Groups", this), "Frame9");
    auto* cg = new QGridLayout(Frame9);
    Combo3 = named(new QComboBox(Frame9), "Combo3");
    Combo3->setToolTip("Please select a Group");
    Picture19 = pictureButton(Frame9, "Picture19", "add-to-list", "Add To Number List");
    Picture2 =
        pictureButton(Frame9, "Picture2", "groups", "This allows you to configure contact groups");
    picContact = pictureButton(Frame9, "picContact", "contacts", "Quorvel contacts");
    picOutLook =
        pictureButton(Frame9, "picOutLook", "contacts", "Microsoft Outlook and Quorvel Contacts");
    picOutLook->hide();
    auto* contactsCell = captioned(Frame9, picContact, Label7, "Label7", "Contact");
    // One of the two buttons shows, in the same place beside the caption.
    static_cast<QHBoxLayout*>(contactsCell->layout())->insertWidget(1, picOutLook);
    cg->addWidget(Combo3, 0, 0, 1, 3);
    cg->addWidget(captioned(Frame9, Picture19, lblAddGrpNos, "lblAddGrpNos", "Add To Number List"),
                  1, 0);
    cg->addWidget(captioned(Frame9, Picture2, Label2, "Label2", "Edit"), 1, 1);
    cg->addWidget(contactsCell, 1, 2);
    auto* frames = column(this);
    frames->addWidget(Frame2, 1);
    frames->addWidget(Frame4);
    frames->addWidget(Frame6);
    frames->addWidget(Frame9);
}

void RecipientsPanel::applyBackColour(const std::optional<Colour>& colour) {
    m_backColour = colour;
    for (QWidget* w : std::initializer_list<QWidget*>{
             Frame2, Frame9, Frame6, Frame4, optSelectAll, optUnselectAll, Picture8, Picture7,
             Picture3, Picture6, Picture2, Picture16, Picture4, Picture19, Picture18})
        paintBackground(w, colour);
}

int RecipientsPanel::numberListCount() const {
    return List4->count();
}

QStringList RecipientsPanel::checkedEntries() const {
    QStringList out;
    for (int i = 0; i < List4->count(); ++i)
        if (List4->item(i)->checkState() == Qt::Checked)
            out << List4->item(i)->text();
    return out;
}

void RecipientsPanel::colourNumberList(Colour colour) {
    paintBase(List4, colour);
}
