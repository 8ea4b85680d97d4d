#include "client/recipients/ui/frmGroupAddNumber.h"

#include "client/recipients/SingleContact.h"
#include "client/recipients/groups/CountryList.h"
#include "client/recipients/ui/SingleContactFields.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"
#include "ui/PanelWidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace PanelWidgets;

frmGroupAddNumber::frmGroupAddNumber(QString appPath,
                                     std::function<void(const QString&)> addCandidate,
                                     const std::optional<Colour>& backColour, QWidget* parent)
    : QDialog(parent), m_addCandidate(std::move(addCandidate)) {
    setObjectName("frmGroupAddNumber");
    setWindowTitle("Add Number");
    setModal(true);

    lblName = named(new QLabel("Name", this), "lblName");
    Text1 = named(new QLineEdit(this), "Text1");
    Text1->setToolTip("Enter a Name");
    lblMobile = named(new QLabel("Mobile", this), "lblMobile");
    Text3 = named(new QLineEdit(this), "Text3");
    Text3->setToolTip("Enter a Mobile number");
    cmbCountryCode = named(new QComboBox(this), "cmbCountryCode");
    cmbCountryCode->setEditable(true);
    cmbCountryCode->setInsertPolicy(QComboBox::NoInsert);
    cmbCountryCode->setToolTip("Select a Country code");
    Picture4 = pictureButton(this, "Picture4", "add-to-list", "Add To Number List");
    Picture16 = pictureButton(this, "Picture16", "reset", "Clear Name/Number Details");
    Command1 = named(new QPushButton("OK", this), "Command1");
    Command2 = named(new QPushButton("Cancel", this), "Command2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblName, 0, 0);
    grid->addWidget(Text1, 0, 1, 1, 2);
    grid->addWidget(lblMobile, 1, 0);
    grid->addWidget(Text3, 1, 1, 1, 2);
    grid->addWidget(new QLabel("Country Code", this), 2, 0);
    grid->addWidget(cmbCountryCode, 2, 1, 1, 2);
    grid->addWidget(
        captioned(this, Picture4, lblAddSingleContact, "lblAddSingleContact", "Add To Number List"),
        3, 0, 1, 2);
    grid->addWidget(captioned(this, Picture16, lblClear, "lblClear", "Clear"), 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    m_fields = new SingleContactFields(lblName, Text1, lblMobile, Text3, cmbCountryCode,
                                       "Number must only contain digits        ", this);
    connect(Picture4, &QToolButton::clicked, this, [this] {
        if (add())
            m_fields->clear();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        if (add())
            accept();
    });
    connect(Picture16, &QToolButton::clicked, this, [this] { m_fields->clear(); });
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);

    cmbCountryCode->addItems(CountryList::forAddNumber(appPath));
    cmbCountryCode->setCurrentText("United Kingdom  +44");
    paintBackground(Picture4, backColour);
    paintBackground(Picture16, backColour);
}

frmGroupAddNumber::~frmGroupAddNumber() = default;

bool frmGroupAddNumber::add() {
    const auto o = SingleContact::AddSingleContact(m_fields->fields());
    m_fields->apply(o);
    if (!o.entry)
        return false;
    m_addCandidate(*o.entry);
    return true;
}
