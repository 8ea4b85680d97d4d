#include "client/outbox/ui/frmDisplaySelMsgDetls.h"

#include "ui/BackColour.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* field(QWidget* parent, const char* name, const QString& text) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    return e;
}

} // namespace

frmDisplaySelMsgDetls::frmDisplaySelMsgDetls(const OutboxEntry::Details& details,
                                             const std::optional<Colour>& backColour,
                                             QWidget* parent)
    : QDialog(parent) {
    setObjectName("frmDisplaySelMsgDetls");
    setWindowTitle("Selected Message Details");
    setModal(true);
    txtMessageId = field(this, "txtMessageId", details.id);
    txtMessageDt = field(this, "txtMessageDt", details.dateTime);
    txtMessage = new QPlainTextEdit(details.message, this);
    txtMessage->setObjectName("txtMessage");
    txtMessage->setReadOnly(true);
    txtMsgLen = field(this, "txtMsgLen", QString::number(details.length));
    Command1 = new QPushButton("OK", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, [this] { closeClicked(); });

    auto* form = new QFormLayout;
    // The layout makes each caption the buddy of its field, so "&&" shows one ampersand.
    form->addRow("Message ID", txtMessageId);
    form->addRow("Message Date && Time", txtMessageDt);
    form->addRow("Message", txtMessage);
    form->addRow("Message Length", txtMsgLen);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
    resize(460, 300);
    paintBackground(this, backColour);
}

void frmDisplaySelMsgDetls::closeClicked() {
    accept();
}
