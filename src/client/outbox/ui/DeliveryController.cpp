#include "client/outbox/ui/DeliveryController.h"

#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/MessageLists.h"
#include "client/outbox/ui/MessageListWindow.h"
#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/SendController.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/settings/ClientSettings.h"
#include "common/Clock.h"
#include "common/Installation.h"
#include "common/IntervalTimer.h"
#include "common/MessageBox.h"
#include "ui/ClickableLabel.h"
#include "ui/PanelWidgets.h"

#include <QAbstractItemModel>
#include <QDateEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

namespace {
const QString kBlink = QStringLiteral("blink");
const QString kSendQueue = QStringLiteral("&Send Queue");
} // namespace

DeliveryController::DeliveryController(SendPanel& controls, OutboxPanel& lists, IntervalTimer& poll,
                                       IntervalTimer& blink, ClientSettings& settings,
                                       const Installation& installation,
                                       std::unique_ptr<BrindleLauncher> launcher,
                                       InternetRoute& internet, QObject* parent)
    : QObject(parent), m_c(controls), m_lists(lists), m_poll(poll), m_settings(settings),
      m_installation(installation), m_launcher(std::move(launcher)), m_outbox(lists.outbox),
      m_queue(lists.ListCellnet), m_schedule(lists.schedulebox) {
    m_supervisor = std::make_unique<DeliverySupervisor>(
        m_installation, DeliverySupervisor::Lists{m_outbox, m_queue, m_schedule},
        static_cast<QueueControls&>(*this), *m_launcher, internet, m_settings);
    m_supervisor->addOperatorQueue = [this](const QString& entry) {
        if (addOperatorQueue)
            addOperatorQueue(entry);
    };
    connect(m_supervisor.get(), &DeliverySupervisor::notice, this,
            [](const Notice& notice) { MessageBox::tell(notice); });
    showList = [](MessageListWindow& w) { w.exec(); };

    connect(&m_poll, &IntervalTimer::timeout, this, [this] { m_supervisor->poll(); });
    connect(&blink, &IntervalTimer::timeout, this, [this] { reminderTick(); });
    // The rules' own choices (setQueueMode) are no choice of the user's.
    PanelWidgets::onChosen(m_c.Option1, this, [this] { queueMessagesChosen(); });
    PanelWidgets::onChosen(m_c.Option2, this, [this] { sendImmediatelyChosen(); });
    connect(m_c.Command2, &QPushButton::clicked, this,
            [this] { MessageBox::tell(m_supervisor->sendQueueClicked()); });
    connect(m_c.imgSchedule, &QToolButton::clicked, this, [this] { scheduleClicked(); });
    connect(m_lists.Picture9, &QToolButton::clicked, this, [this] { showAcceptedList(); });
    connect(m_lists.Picture15, &QToolButton::clicked, this, [this] { showFailedList(); });
    connect(m_c.imgScheduledMessageQ, &QToolButton::clicked, this, [this] { showScheduledList(); });

    // Many changes in one go (a long scheduled send) are saved once.
    auto* model = m_lists.schedulebox->model();
    const auto saveSoon = [this] {
        if (m_savePending)
            return;
        m_savePending = true;
        QTimer::singleShot(0, this, [this] {
            if (m_savePending)
                saveScheduledEntries();
        });
    };
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, saveSoon);
    connect(model, &QAbstractItemModel::modelReset, this, saveSoon);
}

DeliveryController::~DeliveryController() = default;

// --- what the poll does to the window ---------------------------------------------

void DeliveryController::setConfigureEnabled(bool enabled) {
    m_c.cmdConfigure->setEnabled(enabled);
}
void DeliveryController::startPoll() {
    m_poll.start();
}
void DeliveryController::stopPoll() {
    m_poll.stop();
}
bool DeliveryController::pollRunning() const {
    return m_poll.isActive();
}
bool DeliveryController::queueMode() const {
    return m_c.Option1->isChecked();
}

bool DeliveryController::blinking() const {
    return m_c.Picture5->property(SendController::kBlinkProperty).toString() == kBlink;
}

void DeliveryController::setBlinking(bool on) {
    m_c.Picture5->setProperty(SendController::kBlinkProperty, on ? kBlink : QString());
}

void DeliveryController::stopBlinking() {
    m_modes.stopBlinking();
}

void DeliveryController::setQueueMode(bool queue) {
    QRadioButton* chosen = queue ? m_c.Option1 : m_c.Option2;
    const QSignalBlocker b1(m_c.Option1), b2(m_c.Option2);
    chosen->setChecked(true);
}
void DeliveryController::setSendQueueEnabled(bool enabled) {
    m_c.Command2->setEnabled(enabled);
}
void DeliveryController::focusQueueMode() {
    m_c.Option1->setFocus();
}
void DeliveryController::showSendQueue(bool caption, bool bold) {
    QFont f = m_c.Command2->font();
    f.setBold(bold);
    m_c.Command2->setFont(f);
    m_c.Command2->setText(caption ? kSendQueue : QString());
    // Alt+S works while the caption blinks away.
    m_c.Command2->setShortcut(QKeySequence::mnemonic(kSendQueue));
}
QDate DeliveryController::date() const {
    return m_c.dtSchDate->date();
}
QTime DeliveryController::time() const {
    return m_c.txttime->time();
}
void DeliveryController::setTime(const QTime& time) {
    m_c.txttime->setTime(time);
}
void DeliveryController::focusTime() {
    m_c.txttime->setFocus();
}

// --- queue modes and scheduling -------------------------------------------------------

void DeliveryController::queueMessagesChosen() {
    MessageBox::tell(m_modes.queueMessagesChosen(m_lists.outbox->count(), m_settings.isModem()));
}

void DeliveryController::sendImmediatelyChosen() {
    MessageBox::tell(m_modes.sendImmediatelyChosen(m_lists.outbox->count()));
}

void DeliveryController::reminderTick() {
    m_modes.reminderTick(m_lists.outbox->count(), m_lists.schedulebox->count(),
                         m_settings.isModem());
}

void DeliveryController::scheduleClicked() {
    MessageBox::tell(m_modes.scheduleClicked(m_settings.isModem(), Clock::instance().now(),
                                             buildScheduledEntries));
}

void DeliveryController::offerSavedEntries() {
    const auto saved = QueueModes::savedEntries(m_installation.folder());
    if (!saved.notice)
        return;
    if (MessageBox::tell(*saved.notice))
        m_lists.schedulebox->addItems(saved.value); // saves the file again
    else
        QueueModes::dropSavedEntries(m_installation.folder());
}

void DeliveryController::saveScheduledEntries() {
    m_savePending = false;
    QueueModes::saveScheduledEntries(m_installation.folder(), m_schedule.all());
}

// --- the three lists ------------------------------------------------------------------

void DeliveryController::openList(const QString& caption, const QString& tag) {
    MessageListWindow w(m_installation, caption, tag, m_lists.schedulebox, m_settings.BackColour,
                        m_c.window());
    showList(w);
}

void DeliveryController::showAcceptedList() {
    openList(MessageLists::kAcceptedCaption, MessageLists::kAcceptedFile);
}

void DeliveryController::showFailedList() {
    openList(MessageLists::kFailedCaption, MessageLists::kFailedFile);
}

void DeliveryController::showScheduledList() {
    openList(MessageLists::kScheduledCaption, MessageLists::kScheduledTag);
}
