#pragma once

#include <QIcon>
#include <QString>
#include <functional>
#include <initializer_list>

class ClickableLabel;
class QAbstractButton;
class QLabel;
class QObject;
class QToolButton;
class QVBoxLayout;
class QWidget;

// Building blocks the panels of the main window share.
namespace PanelWidgets {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// One of our pictures by name ("send", "delete", ... as in src/ui/icons).
QIcon picture(const char* icon);

// The program's own icon, for every window and the notification area.
QIcon appIcon();

// A button showing one of our pictures, with a caption beside it when given.
QToolButton* pictureButton(QWidget* parent, const char* name, const char* icon, const QString& tip,
                           const QString& text = QString());

// The caption label of a picture button: a click on it clicks the button, and
// a screen reader calls the button by it.
ClickableLabel* captionLabel(QWidget* parent, QToolButton* button, const char* labelName,
                             const QString& caption);

// A picture button with its caption label beside it; the label clicks the button.
QWidget* captioned(QWidget* parent, QToolButton* button, ClickableLabel*& label,
                   const char* labelName, const QString& caption);

// `label` names `control` for a screen reader, and its mnemonic, if any, reaches it.
void labelFor(QLabel* label, QWidget* control);

// Tab visits `widgets` one after the other, in the order given.
void tabOrder(std::initializer_list<QWidget*> widgets);

// Runs `act` when the option button becomes chosen, however that happens (a
// click, a key, a screen reader's toggle, which clicks nothing), and when
// the chosen one is clicked again. `context` ends the connections.
void onChosen(QAbstractButton* button, QObject* context, std::function<void()> act);

// Lays `panel` out as one column without margins of its own, so a panel sits
// in the window exactly as its frames would.
QVBoxLayout* column(QWidget* panel);

} // namespace PanelWidgets
