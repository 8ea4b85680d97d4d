#include "client/recipients/ui/SingleContactFields.h"

#include "client/recipients/NumberRules.h"
#include "common/MessageBox.h"
#include "ui/PanelWidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

const QString kDefaultCountry = QStringLiteral("United Kingdom  +44");

void warn(const QString& text) {
    MessageBox::show(text, kQuorvelWarning, MessageBox::Icon::Warning);
}

void setBold(QLabel* label, bool bold) {
    QFont f = label->font();
    f.setBold(bold);
    label->setFont(f);
}

} // namespace

SingleContactFields::SingleContactFields(QLabel* nameLabel, QLineEdit* name, QLabel* mobileLabel,
                                         QLineEdit* mobile, QComboBox* country, QString keyRefusal,
                                         QObject* parent)
    : QObject(parent), m_nameLabel(nameLabel), m_name(name), m_mobileLabel(mobileLabel),
      m_mobile(mobile), m_country(country), m_keyRefusal(std::move(keyRefusal)) {
    m_mobile->installEventFilter(this);
    connect(m_name, &QLineEdit::textChanged, this, [this] { nameChanged(); });
    connect(m_mobile, &QLineEdit::textChanged, this, [this] { mobileChanged(); });
}

SingleContactFields::Controls SingleContactFields::build(QWidget* parent, QGridLayout* grid) {
    using PanelWidgets::named;
    Controls c;
    c.nameLabel = named(new QLabel("Name", parent), "lblName");
    c.name = named(new QLineEdit(parent), "Text1");
    c.name->setToolTip("Enter a Name");
    c.mobileLabel = named(new QLabel("Mobile", parent), "lblMobile");
    c.mobile = named(new QLineEdit(parent), "Text3");
    c.mobile->setToolTip("Enter a Mobile number");
    c.countryCode = named(new QComboBox(parent), "cmbCountryCode");
    c.countryCode->setEditable(true);
    c.countryCode->setInsertPolicy(QComboBox::NoInsert);
    c.countryCode->setToolTip("Select a Country code");
    grid->addWidget(c.nameLabel, 0, 0);
    grid->addWidget(c.name, 0, 1, 1, 2);
    grid->addWidget(c.mobileLabel, 1, 0);
    grid->addWidget(c.mobile, 1, 1, 1, 2);
    auto* countryLabel = new QLabel("Country Code", parent);
    PanelWidgets::labelFor(c.nameLabel, c.name);
    PanelWidgets::labelFor(c.mobileLabel, c.mobile);
    PanelWidgets::labelFor(countryLabel, c.countryCode);
    grid->addWidget(countryLabel, 2, 0);
    grid->addWidget(c.countryCode, 2, 1, 1, 2);
    return c;
}

SingleContact::Fields SingleContactFields::fields() const {
    return {m_name->text(), m_mobile->text(), m_country->currentText()};
}

void SingleContactFields::apply(const SingleContact::Outcome& o) {
    if (o.nameBold)
        setBold(m_nameLabel, *o.nameBold);
    if (o.mobileBold)
        setBold(m_mobileLabel, *o.mobileBold);
    if (!o.message.isEmpty())
        warn(o.message);
    if (o.selectName)
        m_name->selectAll();
    switch (o.focus) {
    case SingleContact::Focus::Name:
        m_name->setFocus();
        break;
    case SingleContact::Focus::Mobile:
        m_mobile->setFocus();
        break;
    case SingleContact::Focus::CountryCode:
        m_country->setFocus();
        break;
    case SingleContact::Focus::None:
        break;
    }
}

void SingleContactFields::clear() {
    m_name->clear();
    m_mobile->clear();
    setBold(m_nameLabel, false);
    setBold(m_mobileLabel, false);
    m_country->setEnabled(true);
    m_country->setCurrentText(kDefaultCountry);
    m_name->setFocus();
}

void SingleContactFields::nameChanged() {
    if (m_filtering || NumberRules::isNameText(m_name->text()))
        return;
    warn("Name must only contain letters     ");
    m_filtering = true;
    m_name->setText(NumberRules::cleanName(m_name->text()));
    m_filtering = false;
    m_name->setCursorPosition(int(m_name->text().size()));
    m_name->setFocus();
}

void SingleContactFields::mobileChanged() {
    const QString text = m_mobile->text();
    m_country->setEnabled(NumberRules::countryCodeEnabledFor(text));
    const QString rebuilt = NumberRules::filterMobile(text);
    if (rebuilt != text)
        m_mobile->setText(rebuilt);
}

bool SingleContactFields::mobileKey(QChar key) {
    const int caret =
        m_mobile->hasSelectedText() ? m_mobile->selectionStart() : m_mobile->cursorPosition();
    if (NumberRules::mobileKeyAccepted(key, caret)) {
        if (key == '+')
            m_country->setEnabled(false);
        return true;
    }
    warn(m_keyRefusal);
    return false;
}

bool SingleContactFields::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mobile && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto typed = NumberRules::typedCharacter(key->key(), key->modifiers(), key->text());
        return typed && !mobileKey(*typed);
    }
    return QObject::eventFilter(watched, event);
}
