#include "client/composition/ui/CompositionPanel.h"

#include "client/composition/ui/ComposeController.h"
#include "common/Installation.h"
#include "ui/BackColour.h"
#include "ui/PanelWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

using namespace PanelWidgets;

namespace {

QLineEdit* counter(QWidget* parent, const char* name) {
    auto* e = named(new QLineEdit(parent), name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setAlignment(Qt::AlignRight);
    e->setMaximumWidth(70);
    return e;
}

} // namespace

CompositionPanel::CompositionPanel(ClientSettings& settings, const Installation& installation,
                                   QWidget* parent)
    : QWidget(parent) {
    buildControls();
    m_controller = std::make_unique<ComposeController>(*this, settings, installation);
}

CompositionPanel::~CompositionPanel() = default;

void CompositionPanel::buildControls() {
    fraSMSMessage = named(new QGroupBox("SMS Message", this), "fraSMSMessage");
    auto* sms = new QGridLayout(fraSMSMessage);
    txtSubject = named(new QLineEdit(fraSMSMessage), "txtSubject");
    txtSubject->setMaxLength(100);
    txtSubject->setToolTip("Type your subject here");
    txtMessage = named(new QPlainTextEdit(fraSMSMessage), "txtMessage");
    txtMessage->setToolTip("Type your message here");
    Combo1 = named(new QComboBox(fraSMSMessage), "Combo1");
    Combo1->setToolTip("Quick Message Text");
    Combo1->setPlaceholderText("Quick Message");
    Combo1->setMinimumContentsLength(24);
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    picQuickMsg = pictureButton(fraSMSMessage, "picQuickMsg", "quick-message", "Add Quick Message");
    Check2 = named(new QCheckBox("Signature", fraSMSMessage), "Check2");
    Check2->setChecked(true);
    Picture10 = pictureButton(fraSMSMessage, "Picture10", "details", "Change Signature");
    Picture17 =
        pictureButton(fraSMSMessage, "Picture17", "reset", "Clear message to be sent", "Clear");
    fraChrCnt = named(new QGroupBox("Character Count", fraSMSMessage), "fraChrCnt");
    auto* cnt = new QGridLayout(fraChrCnt);
    txtLenSignature = counter(fraChrCnt, "txtLenSignature");
    Text4 = counter(fraChrCnt, "Text4");
    Text4->setText("0");
    Text4->setToolTip("Letters Left to be Sent");
    txtLenTotal = counter(fraChrCnt, "txtLenTotal");
    cnt->addWidget(new QLabel("Signature", fraChrCnt), 0, 0);
    cnt->addWidget(new QLabel("Message", fraChrCnt), 0, 1);
    cnt->addWidget(new QLabel("Total", fraChrCnt), 0, 2);
    cnt->addWidget(txtLenSignature, 1, 0);
    cnt->addWidget(Text4, 1, 1);
    cnt->addWidget(txtLenTotal, 1, 2);

    auto* subjectLabel = new QLabel("Subject", fraSMSMessage);
    subjectLabel->setBuddy(txtSubject);
    sms->addWidget(subjectLabel, 0, 0);
    sms->addWidget(txtSubject, 0, 1, 1, 5);
    sms->addWidget(new QLabel("Message", fraSMSMessage), 1, 0, Qt::AlignTop);
    sms->addWidget(txtMessage, 1, 1, 1, 5);
    sms->addWidget(Combo1, 2, 1);
    sms->addWidget(picQuickMsg, 2, 2);
    sms->addWidget(Check2, 2, 3);
    sms->addWidget(Picture10, 2, 4);
    sms->addWidget(Picture17, 2, 5);
    sms->addWidget(fraChrCnt, 3, 1, 1, 5);
    sms->setRowStretch(1, 1);
    sms->setColumnStretch(1, 1);
    column(this)->addWidget(fraSMSMessage);
}

void CompositionPanel::applyBackColour(const std::optional<Colour>& colour) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{fraSMSMessage, Picture17, Picture10, picQuickMsg, Check2})
        paintBackground(w, colour);
}

void CompositionPanel::replaceLineBreaks() {
    m_controller->normaliseLineBreaks();
}

QString CompositionPanel::subject() const {
    return txtSubject->text();
}

QString CompositionPanel::message() const {
    return txtMessage->toPlainText();
}

bool CompositionPanel::signatureOn() const {
    return Check2->isChecked();
}

void CompositionPanel::colourMessage(Colour colour) {
    paintBase(txtMessage, colour);
}

void CompositionPanel::clearForNextMessage() {
    txtMessage->clear();
    txtSubject->clear();
    Combo1->setCurrentIndex(-1);
    m_controller->editor().splitWarning().rearm();
    m_controller->ResetQuickMessageText();
    Text4->setText("0");
}
