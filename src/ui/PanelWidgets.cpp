#include "ui/PanelWidgets.h"

#include "ui/ClickableLabel.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace PanelWidgets {

QToolButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap pixmap,
                           const QString& tip, const QString& text) {
    auto* b = named(new QToolButton(parent), name);
    b->setIcon(parent->style()->standardIcon(pixmap));
    b->setToolTip(tip);
    b->setAutoRaise(false);
    if (!text.isEmpty()) {
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return b;
}

QWidget* captioned(QWidget* parent, QToolButton* button, ClickableLabel*& label,
                   const char* labelName, const QString& caption) {
    auto* box = new QWidget(parent);
    auto* l = new QHBoxLayout(box);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(4);
    button->setParent(box);
    label = named(new ClickableLabel(caption, box), labelName);
    label->setToolTip(button->toolTip());
    label->setCursor(Qt::PointingHandCursor);
    QObject::connect(label, &ClickableLabel::clicked, button, &QToolButton::click);
    l->addWidget(button);
    l->addWidget(label);
    l->addStretch();
    return box;
}

QVBoxLayout* column(QWidget* panel) {
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(0, 0, 0, 0);
    return l;
}

} // namespace PanelWidgets
