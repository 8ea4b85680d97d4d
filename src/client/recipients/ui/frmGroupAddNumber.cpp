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

    auto* grid = new QGridLayout(this);
    const auto fields = SingleContactFields::build(this, grid);
    m_countryCode = fields.countryCode;
    m_add = pictureButton(this, "Picture4", "add-to-list", "Add To Number List");
    m_clear = pictureButton(this, "Picture16", "reset", "Clear Name/Number Details");
    m_ok = named(new QPushButton("OK", this), "Command1");
    m_cancel = named(new QPushButton("Cancel", this), "Command2");
    grid->addWidget(
        captioned(this, m_add, m_addCaption, "lblAddSingleContact", "Add To Number List"), 3, 0, 1,
        2);
    grid->addWidget(captioned(this, m_clear, m_clearCaption, "lblClear", "Clear"), 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    m_fields =
        new SingleContactFields(fields.nameLabel, fields.name, fields.mobileLabel, fields.mobile,
                                m_countryCode, "Number must only contain digits        ", this);
    connect(m_add, &QToolButton::clicked, this, &frmGroupAddNumber::addClicked);
    connect(m_ok, &QPushButton::clicked, this, &frmGroupAddNumber::okClicked);
    connect(m_clear, &QToolButton::clicked, this, [this] { m_fields->clear(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_countryCode->addItems(CountryList::forAddNumber(appPath));
    m_countryCode->setCurrentText("United Kingdom  +44");
    paintBackground(m_add, backColour);
    paintBackground(m_clear, backColour);
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

void frmGroupAddNumber::addClicked() {
    if (add())
        m_fields->clear();
}

void frmGroupAddNumber::okClicked() {
    if (add())
        accept();
}
