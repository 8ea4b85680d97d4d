#include "ui/PanelWidgets.h"

#include "ui/ClickableLabel.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>
#include <utility>

namespace PanelWidgets {

QIcon picture(const char* icon) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon)));
}

// Drawn sizes first, so small icons stay sharp; the SVG serves every other size.
QIcon appIcon() {
    QIcon icon;
    for (const int n : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/app/%1/quorvel.png").arg(n), QSize(n, n));
    icon.addFile(QStringLiteral(":/icons/app/quorvel.svg"));
    return icon;
}

QToolButton* pictureButton(QWidget* parent, const char* name, const char* icon, const QString& tip,
                           const QString& text) {
    auto* b = named(new QToolButton(parent), name);
    b->setIcon(picture(icon));
    b->setToolTip(tip);
    b->setAutoRaise(false);
    // A picture alone says nothing to a screen reader: its tip does.
    b->setAccessibleName(text.isEmpty() ? tip : text);
    if (!text.isEmpty()) {
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return b;
}

ClickableLabel* captionLabel(QWidget* parent, QToolButton* button, const char* labelName,
                             const QString& caption) {
    auto* label = named(new ClickableLabel(caption, parent), labelName);
    label->setToolTip(button->toolTip());
    label->setCursor(Qt::PointingHandCursor);
    QObject::connect(label, &ClickableLabel::clicked, button, &QToolButton::click);
    button->setAccessibleName(caption);
    return label;
}

QWidget* captioned(QWidget* parent, QToolButton* button, ClickableLabel*& label,
                   const char* labelName, const QString& caption) {
    auto* box = new QWidget(parent);
    auto* l = new QHBoxLayout(box);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(4);
    button->setParent(box);
    label = captionLabel(box, button, labelName, caption);
    l->addWidget(button);
    l->addWidget(label);
    l->addStretch();
    return box;
}

void labelFor(QLabel* label, QWidget* control) {
    label->setBuddy(control);
    control->setAccessibleName(QString(label->text()).remove(QLatin1Char('&')));
}

void tabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

QVBoxLayout* column(QWidget* panel) {
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(0, 0, 0, 0);
    return l;
}

void onChosen(QAbstractButton* button, QObject* context, std::function<void()> act) {
    // A click on the button already chosen toggles nothing: the press tells.
    auto wasChosen = std::make_shared<bool>(false);
    QObject::connect(button, &QAbstractButton::pressed, context,
                     [button, wasChosen] { *wasChosen = button->isChecked(); });
    QObject::connect(button, &QAbstractButton::toggled, context, [act](bool on) {
        if (on)
            act();
    });
    QObject::connect(button, &QAbstractButton::clicked, context, [act, wasChosen] {
        if (std::exchange(*wasChosen, false))
            act();
    });
}

} // namespace PanelWidgets
