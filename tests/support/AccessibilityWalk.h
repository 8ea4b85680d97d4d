#pragma once

#include "ui/ClickableLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

// A window as a screen reader and a keyboard user meet it, through Qt's own
// accessibility interfaces.
namespace AccessibilityWalk {

// What a user can act on; a list's items and a box's pop-up are its own.
inline bool interactive(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::ComboBox:
    case QAccessible::Tree:
    case QAccessible::Table:
    case QAccessible::SpinBox:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return false;
    }
}

// A control by its objectName, else (a message box's buttons) by what it says.
inline QString nameOf(const QWidget* w) {
    if (!w->objectName().isEmpty())
        return w->objectName();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text().remove('&');
    return QString::fromLatin1(w->metaObject()->className());
}

// Every visible control under `a`, the window itself excluded, in tree order.
inline void controls(QAccessibleInterface* a, QList<QAccessibleInterface*>& out) {
    for (int i = 0; i < a->childCount(); ++i) {
        QAccessibleInterface* c = a->child(i);
        if (!c || c->state().invisible || !c->object() || !c->object()->isWidgetType())
            continue;
        out << c;
        if (!interactive(c->role()))
            controls(c, out);
    }
}

inline QList<QAccessibleInterface*> controls(QWidget* window) {
    QList<QAccessibleInterface*> out;
    controls(QAccessible::queryAccessibleInterface(window), out);
    return out;
}

// The controls a screen reader can only call "button" or "list", by signs
// alone (">>"), or only by the title of the frame they sit in.
inline QStringList unnamed(QWidget* window) {
    QStringList out;
    for (QAccessibleInterface* c : controls(window)) {
        auto* w = static_cast<QWidget*>(c->object());
        const QString name = c->text(QAccessible::Name).trimmed();
        const auto* frame = qobject_cast<QGroupBox*>(w->parentWidget());
        const bool borrowed = frame && w->accessibleName().isEmpty() && name == frame->title();
        const bool acts = interactive(c->role()) || qobject_cast<ClickableLabel*>(w);
        const bool wordless = !name.contains(QRegularExpression("\\w"));
        if (acts && (wordless || borrowed))
            out << nameOf(w);
    }
    return out;
}

// The enabled visible controls Tab can stop at.
inline QList<QWidget*> tabStops(QWidget* window) {
    QList<QWidget*> out;
    for (QAccessibleInterface* c : controls(window)) {
        auto* w = static_cast<QWidget*>(c->object());
        if (c->state().focusable && !c->state().disabled && (w->focusPolicy() & Qt::TabFocus))
            out << w;
    }
    return out;
}

// The stop holding the focus: a box or a spin edit passes it to its inner edit.
inline QWidget* stopOf(const QList<QWidget*>& stops, QWidget* focus) {
    for (QWidget* w = focus; w; w = w->parentWidget())
        if (stops.contains(w))
            return w;
    return focus;
}

// Presses Tab from `first` until the focus comes back to it: the controls
// in the order Tab reaches them, "(trapped at X)" when it never returns.
inline QStringList tabWalk(QWidget* window, QWidget* first) {
    const QList<QWidget*> stops = tabStops(window);
    first->setFocus(Qt::TabFocusReason);
    QStringList order{nameOf(first)};
    for (int pressed = 0; pressed <= 3 * stops.size(); ++pressed) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || focus->window() != window)
            return order << "(focus left the window)";
        QTest::keyClick(focus, Qt::Key_Tab);
        QWidget* now = stopOf(stops, QApplication::focusWidget());
        if (now == first)
            return order;
        if (order.last() != nameOf(now)) // a date edit's Tab walks its fields first
            order << nameOf(now);
    }
    return order << "(trapped)";
}

// Tab reaches a group of option buttons once; the arrow keys go on from there.
inline bool reachedWithItsGroup(QWidget* w, const QStringList& walked) {
    auto* option = qobject_cast<QRadioButton*>(w);
    if (!option)
        return false;
    QList<QAbstractButton*> group;
    if (option->group())
        group = option->group()->buttons();
    else if (option->autoExclusive())
        for (QRadioButton* other : option->parentWidget()->findChildren<QRadioButton*>(
                 QString(), Qt::FindDirectChildrenOnly))
            group << other;
    for (QAbstractButton* other : group)
        if (walked.contains(nameOf(other)))
            return true;
    return false;
}

// The controls Tab never reaches.
inline QStringList unreached(QWidget* window, const QStringList& walked) {
    QStringList out;
    for (QWidget* w : tabStops(window))
        if (!walked.contains(nameOf(w)) && !reachedWithItsGroup(w, walked))
            out << nameOf(w);
    return out;
}

// The Alt letters two visible controls both claim: the key would only move
// between them instead of pressing either.
inline QStringList clashingMnemonics(QWidget* window) {
    QMap<QString, QStringList> owners;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
            text = label->text();
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty() && w->isVisibleTo(window))
            owners[key.toString()] << nameOf(w);
    }
    QStringList out;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it)
        if (it->size() > 1)
            out << it.key() + ": " + it->join(' ');
    return out;
}

// Shows `window`, puts the focus on `first` and presses Enter: whether that
// pressed `button`, the default one.
inline bool enterPresses(QWidget* window, const QString& first, const QString& button) {
    window->show();
    QApplication::setActiveWindow(window);
    QAbstractButton* target = nullptr;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (nameOf(b) == button)
            target = b;
    for (QWidget* w : tabStops(window))
        if (nameOf(w) == first)
            w->setFocus(Qt::TabFocusReason);
    if (!target || !QApplication::focusWidget())
        return false;
    QObject ears;
    bool pressed = false;
    QObject::connect(target, &QAbstractButton::clicked, &ears, [&pressed] { pressed = true; });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    return pressed;
}

// Shows `window` and checks it: every control named, Tab walking `tabOrder`
// from its first control, reaching every control and coming back, and for a
// dialog whether Escape leaves it; no two controls claim one Alt letter.
inline void check(QWidget* window, const QStringList& tabOrder, bool escapeCloses) {
    window->show();
    QApplication::setActiveWindow(window);
    EXPECT_EQ(unnamed(window), QStringList());
    EXPECT_EQ(clashingMnemonics(window), QStringList());
    QStringList walked;
    if (!tabOrder.isEmpty()) {
        const QList<QWidget*> stops = tabStops(window);
        const auto first = std::find_if(stops.begin(), stops.end(),
                                        [&](QWidget* w) { return nameOf(w) == tabOrder[0]; });
        ASSERT_NE(first, stops.end()) << tabOrder[0].toStdString();
        walked = tabWalk(window, *first);
    }
    EXPECT_EQ(walked, tabOrder);
    EXPECT_EQ(unreached(window, walked), QStringList());
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_EQ(dialog->isVisible(), !escapeCloses);
    }
}

} // namespace AccessibilityWalk
