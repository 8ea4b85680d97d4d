#include "client/outbox/ui/SendController.h"

#include "client/outbox/ComposedMessageSource.h"
#include "client/outbox/EventPacer.h"
#include "client/outbox/OperatorInbox.h"
#include "client/outbox/QueueModes.h"
#include "client/outbox/RecipientSource.h"
#include "client/outbox/SignatureInputs.h"
#include "client/outbox/ui/OutboxController.h"
#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/settings/ClientSettings.h"
#include "common/Clock.h"
#include "common/Installation.h"
#include "common/MessageBox.h"
#include "ui/ClickableLabel.h"

#include <QDateEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTimeEdit>
#include <QToolButton>

SendController::SendController(SendPanel& controls, OutboxPanel& lists,
                               ComposedMessageSource& message, RecipientSource& recipients,
                               ClientSettings& settings, const Installation& installation,
                               OutboxController& outbox, QObject* parent)
    : QObject(parent), m_c(controls), m_lists(lists), m_message(message), m_recipients(recipients),
      m_settings(settings), m_installation(installation), m_outbox(outbox),
      m_ids(m_installation, [&outbox] { return outbox.listedEntries(); }) {
    connect(m_c.Picture5, &QAbstractButton::clicked, this, [this] { sendClicked(); });
}

QString SendController::blinkMarker() const {
    return m_c.Picture5->property(kBlinkProperty).toString();
}

void SendController::stop() {
    m_stopped = true;
}

void SendController::sendClicked() {
    if (sending())
        return;
    m_message.replaceLineBreaks();
    if (MessageAssembler::nothingToSend(m_message.subject(), m_message.message())) {
        MessageBox::show(MessageAssembler::kNothingToSend, kQuorvelWarning,
                         MessageBox::Icon::Information);
        return;
    }
    if (QueueModes::scheduleSet(m_c.txttime->time())) {
        if (scheduleAction)
            scheduleAction();
        return;
    }
    BuildOutboxEntries();
}

MessageAssembler::Input SendController::gather() const {
    MessageAssembler::Input in;
    in.subject = MessageAssembler::flattened(m_message.subject());
    in.message = MessageAssembler::flattened(m_message.message());
    in.signature = SignatureInputs::fromFile(m_installation.folder());
    in.signatureOn = m_message.signatureOn();
    in.numberListCount = m_recipients.numberListCount();
    in.checkedEntries = m_recipients.checkedEntries();
    return in;
}

bool SendController::accepted(const MessageAssembler::Plan& plan) {
    if (plan.numberListColour)
        m_recipients.colourNumberList(*plan.numberListColour);
    if (plan.messageBoxColour)
        m_message.colourMessage(*plan.messageBoxColour);
    if (plan.refusal) {
        MessageBox::tell(*plan.refusal);
        return false;
    }
    return true;
}

std::optional<qint64> SendController::reserveIds(int count) {
    const auto first = m_ids.reserve(count);
    if (!first)
        MessageBox::show(MessageIdCounter::kNotWritten, kQuorvelWarning, MessageBox::Icon::Warning);
    return first;
}

void SendController::setSending(bool on) {
    m_sendDepth += on ? 1 : -1;
    m_c.Picture5->setEnabled(!sending());
    m_c.lblSend->setEnabled(!sending());
}

bool SendController::emitEntries(const MessageAssembler::Plan& plan, qint64 firstId,
                                 const std::function<bool(const QStringList&)>& handOver) {
    setSending(true);
    Clock& clock = Clock::instance();
    EventPacer pacer(clock);
    qint64 id = firstId;
    bool allHandedOver = true;
    for (int r = 0; r < plan.numbers.size() && !m_stopped; ++r) {
        QStringList made;
        for (int k = 0; k < plan.pieces.size(); ++k)
            made << plan.entry(id++, r, k, clock.now());
        allHandedOver = handOver(made) && allHandedOver;
        // Clicks and paints run between recipients; Send stays disabled meanwhile.
        if (pacer.due(int(made.size()))) {
            clock.pumpEvents(0);
            pacer.restart();
        }
    }
    setSending(false);
    return allHandedOver;
}

void SendController::BuildOutboxEntries() {
    if (sending())
        return;
    const auto plan = MessageAssembler::planImmediate(gather());
    if (!accepted(plan))
        return;
    const auto first = reserveIds(plan.entryCount());
    if (!first)
        return;
    // Nothing can refuse from here on, so the editor is free for the next
    // message while a long send runs.
    m_message.clearForNextMessage();
    const bool written = emitEntries(plan, *first, [this](const QStringList& entries) {
        m_lists.outbox->addItems(entries);
        return m_outbox.AddOperatorQueue(entries);
    });
    if (!written)
        MessageBox::show(OperatorInbox::kInboxNotWritten, kQuorvelWarning,
                         MessageBox::Icon::Warning);
    deliveryPrompt();
}

bool SendController::BuildScheduledEntries() {
    const auto plan =
        MessageAssembler::planScheduled(gather(), m_c.dtSchDate->date(), m_c.txttime->time());
    if (!accepted(plan))
        return false;
    const auto first = reserveIds(plan.entryCount());
    if (!first)
        return false;
    m_message.clearForNextMessage();
    emitEntries(plan, *first, [this](const QStringList& entries) {
        m_lists.schedulebox->addItems(entries);
        return true;
    });
    return true;
}

void SendController::deliveryPrompt() {
    if (m_stopped)
        return; // the window has gone
    if (!QueueModes::reminderDue(m_settings.isModem(), m_c.Option1->isChecked(),
                                 m_lists.outbox->count()))
        return;
    m_c.Picture5->setProperty(kBlinkProperty, QStringLiteral("blink"));
    MessageBox::show(QueueModes::kReminder, kQuorvelWarning, MessageBox::Icon::Information);
}
