#include "ui/QtMessageBoxPresenter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::StandardButton toQt(MessageBox::Answer a) {
    switch (a) {
    case MessageBox::Answer::Ok:
        return QMessageBox::Ok;
    case MessageBox::Answer::Cancel:
        return QMessageBox::Cancel;
    case MessageBox::Answer::Yes:
        return QMessageBox::Yes;
    case MessageBox::Answer::No:
        return QMessageBox::No;
    case MessageBox::Answer::Retry:
        return QMessageBox::Retry;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons buttonsOf(MessageBox::Buttons b) {
    switch (b) {
    case MessageBox::Buttons::Ok:
        return QMessageBox::Ok;
    case MessageBox::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageBox::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageBox::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageBox::Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(MessageBox::Icon i) {
    switch (i) {
    case MessageBox::Icon::None:
        return QMessageBox::NoIcon;
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBox::Icon::Critical:
        return QMessageBox::Critical;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

MessageBox::Answer fromQt(int b, MessageBox::Answer fallback) {
    switch (b) {
    case QMessageBox::Ok:
        return MessageBox::Answer::Ok;
    case QMessageBox::Cancel:
        return MessageBox::Answer::Cancel;
    case QMessageBox::Yes:
        return MessageBox::Answer::Yes;
    case QMessageBox::No:
        return MessageBox::Answer::No;
    case QMessageBox::Retry:
        return MessageBox::Answer::Retry;
    default:
        return fallback;
    }
}

// Closing the box with Escape or its close button gives the "no" answer.
MessageBox::Answer escapeAnswer(MessageBox::Buttons b) {
    switch (b) {
    case MessageBox::Buttons::Ok:
        return MessageBox::Answer::Ok;
    case MessageBox::Buttons::YesNo:
        return MessageBox::Answer::No;
    default:
        return MessageBox::Answer::Cancel;
    }
}

} // namespace

std::unique_ptr<QDialog> QtMessageBoxPresenter::build(const MessageBox::Request& request,
                                                      QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(iconOf(request.icon), request.title, request.text,
                                             buttonsOf(request.buttons), parent);
    box->setDefaultButton(toQt(request.defaultButton));
    // A screen reader says the text as the box comes up.
    box->setAccessibleDescription(request.text);
    return box;
}

MessageBox::Answer QtMessageBoxPresenter::present(const MessageBox::Request& request) {
    const auto box = build(request, QApplication::activeWindow());
    return fromQt(box->exec(), escapeAnswer(request.buttons));
}
