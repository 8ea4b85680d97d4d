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
    m_frame = named(new QGroupBox("SMS Message", this), "fraSMSMessage");
    auto* sms = new QGridLayout(m_frame);
    m_subject = named(new QLineEdit(m_frame), "txtSubject");
    m_subject->setMaxLength(100);
    m_subject->setToolTip("Type your subject here");
    m_message = named(new QPlainTextEdit(m_frame), "txtMessage");
    m_message->setToolTip("Type your message here");
    m_quickMessages = named(new QComboBox(m_frame), "Combo1");
    m_quickMessages->setToolTip("Quick Message Text");
    m_quickMessages->setPlaceholderText("Quick Message");
    m_quickMessages->setAccessibleName("Quick Message");
    m_quickMessages->setMinimumContentsLength(24);
    m_quickMessages->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_addQuickMessage = pictureButton(m_frame, "picQuickMsg", "quick-message", "Add Quick Message");
    m_signatureOn = named(new QCheckBox("Signature", m_frame), "Check2");
    m_signatureOn->setChecked(true);
    m_signatureOn->setAccessibleDescription("Adds the signature to the message");
    m_changeSignature = pictureButton(m_frame, "Picture10", "details", "Change Signature");
    m_clearMessage =
        pictureButton(m_frame, "Picture17", "reset", "Clear message to be sent", "Clear");
    buildCounters();

    auto* subjectLabel = new QLabel("Subject", m_frame);
    subjectLabel->setBuddy(m_subject);
    sms->addWidget(subjectLabel, 0, 0);
    sms->addWidget(m_subject, 0, 1, 1, 5);
    auto* messageLabel = new QLabel("Message", m_frame);
    labelFor(messageLabel, m_message);
    sms->addWidget(messageLabel, 1, 0, Qt::AlignTop);
    sms->addWidget(m_message, 1, 1, 1, 5);
    sms->addWidget(m_quickMessages, 2, 1);
    sms->addWidget(m_addQuickMessage, 2, 2);
    sms->addWidget(m_signatureOn, 2, 3);
    sms->addWidget(m_changeSignature, 2, 4);
    sms->addWidget(m_clearMessage, 2, 5);
    sms->addWidget(m_counters, 3, 1, 1, 5);
    sms->setRowStretch(1, 1);
    sms->setColumnStretch(1, 1);
    column(this)->addWidget(m_frame);
}

// The "Character Count" frame: signature, message and total.
void CompositionPanel::buildCounters() {
    m_counters = named(new QGroupBox("Character Count", m_frame), "fraChrCnt");
    auto* cnt = new QGridLayout(m_counters);
    m_signatureCount = counter(m_counters, "txtLenSignature");
    m_messageCount = counter(m_counters, "Text4");
    m_messageCount->setText("0");
    m_messageCount->setToolTip("Letters Left to be Sent");
    m_totalCount = counter(m_counters, "txtLenTotal");
    int col = 0;
    for (const char* caption : {"Signature", "Message", "Total"})
        cnt->addWidget(new QLabel(caption, m_counters), 0, col++);
    // Said with the frame's title: "Message" alone is the editor's name.
    m_signatureCount->setAccessibleName("Signature Character Count");
    m_messageCount->setAccessibleName("Message Character Count");
    m_totalCount->setAccessibleName("Total Character Count");
    cnt->addWidget(m_signatureCount, 1, 0);
    cnt->addWidget(m_messageCount, 1, 1);
    cnt->addWidget(m_totalCount, 1, 2);
}

void CompositionPanel::applyBackColour(const std::optional<Colour>& colour) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_frame, m_clearMessage, m_changeSignature,
                                                      m_addQuickMessage, m_signatureOn})
        paintBackground(w, colour);
}

void CompositionPanel::replaceLineBreaks() {
    m_controller->normaliseLineBreaks();
}

QString CompositionPanel::subject() const {
    return m_subject->text();
}

QString CompositionPanel::message() const {
    return m_message->toPlainText();
}

bool CompositionPanel::signatureOn() const {
    return m_signatureOn->isChecked();
}

void CompositionPanel::colourMessage(Colour colour) {
    paintBase(m_message, colour);
}

void CompositionPanel::clearForNextMessage() {
    m_message->clear();
    m_subject->clear();
    m_quickMessages->setCurrentIndex(-1);
    m_controller->editor().splitWarning().rearm();
    m_controller->ResetQuickMessageText();
    m_messageCount->setText("0");
}
