#include "client/recipients/ui/SingleContactFields.h"

#include "client/recipients/NumberRules.h"
#include "common/MessageBox.h"

#include <QComboBox>
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
