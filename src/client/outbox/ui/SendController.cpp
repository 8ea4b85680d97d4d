#include "client/outbox/ui/SendController.h"

#include "client/outbox/OperatorInbox.h"

#include "client/outbox/EventPacer.h"
#include "client/outbox/ui/OutboxController.h"
#include "client/settings/ClientSettings.h"
#include "client/shell/ui/MainFormControls.h"
#include "common/Clock.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimeEdit>
#include <QToolButton>

namespace {

const QString kSendQueue = QStringLiteral("Select SEND QUEUE button to send queued messages.");

// Line breaks that reach the boxes (by pasting) go out as blanks.
QString flattened(QString text) {
    for (QChar& ch : text)
        if (ch == '\r' || ch == '\n' || ch == QChar::ParagraphSeparator ||
            ch == QChar::LineSeparator)
            ch = ' ';
    return text;
}

bool blank(const QString& text) {
    return QString(text).remove(' ').isEmpty();
}

} // namespace

SendController::SendController(MainFormControls& controls, ClientSettings& settings,
                               std::function<QString()> appPath, OutboxController& outbox,
                               QObject* parent)
    : QObject(parent), m_c(controls), m_settings(settings), m_appPath(std::move(appPath)),
      m_outbox(outbox), m_ids(m_appPath, [&outbox] { return outbox.listedEntries(); }) {
    signature = [this] { return SignatureInputs::fromFile(m_appPath()); };
    connect(m_c.Picture5, &QAbstractButton::clicked, this, [this] { Picture5_Click(); });
}

QString SendController::blinkMarker() const {
    return m_c.Picture5->property(kBlinkProperty).toString();
}

void SendController::stop() {
    m_stopped = true;
}

void SendController::Picture5_Click() {
    if (sending())
        return;
    if (replaceLineBreaks)
        replaceLineBreaks();
    if (blank(flattened(m_c.txtSubject->text())) &&
        blank(flattened(m_c.txtMessage->toPlainText()))) {
        MessageBox::show("Please enter Subject or Message.", kQuorvelWarning,
                         MessageBox::Icon::Information);
        return;
    }
    const QTime time = m_c.txttime->time();
    if (QStringLiteral("%1:%2").arg(time.hour()).arg(time.minute()) != QStringLiteral("0:0")) {
        if (scheduleAction)
            scheduleAction();
        return;
    }
    BuildOutboxEntries();
}

MessageAssembler::Input SendController::gather() const {
    MessageAssembler::Input in;
    in.subject = flattened(m_c.txtSubject->text());
    in.message = flattened(m_c.txtMessage->toPlainText());
    in.signature = signature ? signature() : SignatureInputs::fromFile(m_appPath());
    in.signatureOn = m_c.Check2->isChecked();
    in.numberListCount = m_c.List4->count();
    for (int i = 0; i < m_c.List4->count(); ++i) {
        const QListWidgetItem* item = m_c.List4->item(i);
        if (item->checkState() == Qt::Checked)
            in.checkedEntries << item->text();
    }
    return in;
}

bool SendController::accepted(const MessageAssembler::Plan& plan) {
    if (plan.numberListColour)
        paintBase(m_c.List4, *plan.numberListColour);
    if (plan.messageBoxColour)
        paintBase(m_c.txtMessage, *plan.messageBoxColour);
    if (plan.refusal) {
        MessageBox::show(plan.refusal->text, kQuorvelWarning, plan.refusal->icon);
        return false;
    }
    return true;
}

std::optional<qint64> SendController::reserveIds(int count) {
    const auto first = m_ids.reserve(count);
    if (!first)
        MessageBox::show("The message number file Config\\MsgID.dat cannot be written. "
                         "Nothing has been sent.",
                         kQuorvelWarning, MessageBox::Icon::Warning);
    return first;
}

void SendController::resetEditor() {
    m_c.txtMessage->clear();
    m_c.txtSubject->clear();
    m_c.Combo1->setCurrentIndex(-1);
    if (editorReset)
        editorReset();
    m_c.Text4->setText("0");
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
    resetEditor();
    const bool written = emitEntries(plan, *first, [this](const QStringList& entries) {
        m_c.outbox->addItems(entries);
        for (qsizetype i = 0; i < entries.size(); ++i)
            m_outbox.DetectOperator();
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
    resetEditor();
    emitEntries(plan, *first, [this](const QStringList& entries) {
        m_c.schedulebox->addItems(entries);
        for (qsizetype i = 0; i < entries.size(); ++i)
            m_outbox.DetectOperator();
        return true;
    });
    return true;
}

void SendController::deliveryPrompt() {
    if (m_stopped)
        return; // the window has gone
    if (m_settings.isModem() && !(m_c.Option1->isChecked() && m_c.outbox->count() > 0))
        return;
    m_c.Picture5->setProperty(kBlinkProperty, QStringLiteral("blink"));
    MessageBox::show(kSendQueue, kQuorvelWarning, MessageBox::Icon::Information);
}
