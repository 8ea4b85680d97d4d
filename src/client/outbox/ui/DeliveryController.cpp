#include "client/outbox/ui/DeliveryController.h"

#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/MessageLists.h"
#include "client/outbox/ui/MessageListWindow.h"
#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/SendController.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/settings/ClientSettings.h"
#include "common/Clock.h"
#include "common/InstallPath.h"
#include "common/IntervalTimer.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"
#include "ui/ClickableLabel.h"

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
const QString kSendQueue = QStringLiteral("Send Queue");
} // namespace

DeliveryController::DeliveryController(SendPanel& controls, OutboxPanel& lists, IntervalTimer& poll,
                                       IntervalTimer& blink, ClientSettings& settings,
                                       std::function<QString()> appPath, QString& currentOperator,
                                       bool& nomAlive, std::unique_ptr<BrindleLauncher> launcher,
                                       QObject* parent)
    : QObject(parent), m_c(controls), m_lists(lists), m_poll(poll), m_settings(settings),
      m_appPath(std::move(appPath)), m_launcher(std::move(launcher)), m_outbox(lists.outbox),
      m_queue(lists.ListCellnet), m_schedule(lists.schedulebox) {
    m_supervisor = std::make_unique<DeliverySupervisor>(
        m_appPath, DeliverySupervisor::Lists{m_outbox, m_queue, m_schedule},
        static_cast<DeliveryControls&>(*this), *m_launcher, m_settings, currentOperator, nomAlive);
    m_supervisor->addOperatorQueue = [this](const QString& entry) {
        if (addOperatorQueue)
            addOperatorQueue(entry);
    };
    showList = [](MessageListWindow& w) { w.exec(); };

    connect(&m_poll, &IntervalTimer::timeout, this, [this] { m_supervisor->Timer1_Timer(); });
    connect(&blink, &IntervalTimer::timeout, this, [this] { Timer2_Timer(); });
    connect(m_c.Option1, &QRadioButton::clicked, this, [this] { Option1_Click(); });
    connect(m_c.Option2, &QRadioButton::clicked, this, [this] { Option2_Click(); });
    connect(m_c.Command2, &QPushButton::clicked, this, [this] { m_supervisor->Command2_Click(); });
    connect(m_c.imgSchedule, &QToolButton::clicked, this, [this] { imgSchedule_Click(); });
    connect(m_lists.Picture9, &QToolButton::clicked, this, [this] { Picture9_Click(); });
    connect(m_lists.Picture15, &QToolButton::clicked, this, [this] { Picture15_Click(); });
    connect(m_c.imgScheduledMessageQ, &QToolButton::clicked, this,
            [this] { imgScheduledMessageQ_Click(); });

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
    setBlinking(false);
    QFont f = m_c.Command2->font();
    f.setBold(false);
    m_c.Command2->setFont(f);
    m_c.Command2->setText(kSendQueue);
    m_blinkShown = false;
}

// --- queue modes --------------------------------------------------------------------

void DeliveryController::Option1_Click() {
    if (m_lists.outbox->count() > 0) {
        MessageBox::show("The Outbox is not empty. Messages cannot be Queued        ",
                         kQuorvelWarning, MessageBox::Icon::Warning);
        m_c.Option2->setChecked(true);
        m_c.Command2->setEnabled(false);
        m_c.cmdConfigure->setEnabled(false);
        m_poll.start();
        return;
    }
    m_c.Option1->setChecked(true);
    m_c.Command2->setEnabled(true);
    m_c.cmdConfigure->setEnabled(true);
    m_poll.stop();
    if (m_settings.isModem())
        MessageBox::show("All New Messages in the Outbox will be Queued        ", kQuorvelWarning,
                         MessageBox::Icon::Warning);
}

void DeliveryController::Option2_Click() {
    if (m_lists.outbox->count() > 0) {
        m_c.Option1->setChecked(true);
        m_c.Option1->setFocus();
        return;
    }
    m_c.txttime->setTime(QTime(0, 0));
    m_c.Option2->setChecked(true);
    m_c.Command2->setEnabled(false);
    m_c.cmdConfigure->setEnabled(false);
    m_poll.start();
    MessageBox::show("All New Messages in the Outbox will be Sent Immediately        ",
                     kQuorvelWarning, MessageBox::Icon::Warning);
}

void DeliveryController::Timer2_Timer() {
    if (!m_settings.isModem() && m_lists.outbox->count() == 0)
        stopBlinking();
    if (m_lists.schedulebox->count() > 0) {
        // Keeps the poll alive for due entries; an interval of 0 never runs it.
        if (!m_poll.isActive())
            m_poll.start();
        return;
    }
    if (m_c.Option1->isChecked() && m_lists.outbox->count() == 0) {
        m_c.cmdConfigure->setEnabled(true);
        m_poll.stop();
    }
    if (blinking()) {
        m_blinkShown = !m_blinkShown;
        QFont f = m_c.Command2->font();
        f.setBold(m_blinkShown);
        m_c.Command2->setFont(f);
        m_c.Command2->setText(m_blinkShown ? kSendQueue : QString());
    }
}

// --- scheduling ---------------------------------------------------------------------

void DeliveryController::imgSchedule_Click() {
    if (!m_settings.isModem()) {
        MessageBox::show("The scheduling facility is only available in Modem connection option",
                         kQuorvelWarning);
        return;
    }
    const QTime time = m_c.txttime->time();
    const QTime hourMinute(time.hour(), time.minute());
    if (m_c.Option2->isChecked()) {
        MessageBox::show("Message cannot be scheduled in Send Immediately mode.", kQuorvelWarning);
        return;
    }
    const QDate date = m_c.dtSchDate->date();
    const QDateTime when(date, hourMinute);
    if (hourMinute == QTime(0, 0) || when <= Clock::instance().now()) {
        MessageBox::show("Schedule time is not valid.", kQuorvelWarning);
        m_c.txttime->setFocus();
        return;
    }
    if (!buildScheduledEntries || !buildScheduledEntries())
        return;
    MessageBox::show("The scheduled message(s) will be sent at " + hourMinute.toString("hh:mm") +
                         " on " + date.toString("d/M/yyyy") + ".",
                     kQuorvelWarning, MessageBox::Icon::Information);
    m_c.txttime->setTime(QTime(0, 0));
}

void DeliveryController::offerSavedEntries() {
    const QString file = InstallPath::resolve(m_appPath(), MessageLists::kScheduledFile);
    QStringList saved;
    for (const QString& line : LineFile::readAll(file))
        if (!line.trimmed().isEmpty())
            saved << line;
    if (saved.isEmpty())
        return;
    const QString question =
        QStringLiteral("There are some Pending Queued messages. Do you want to send or delete it?");
    const QString choices = QStringLiteral(" Choose Yes to send, No to delete.");
    const auto answer =
        MessageBox::show(question + QStringLiteral("\r\n") + choices, kQuorvelWarning,
                         MessageBox::Icon::None, MessageBox::Buttons::YesNo);
    if (answer == MessageBox::Answer::Yes)
        m_lists.schedulebox->addItems(saved); // saves the file again
    else
        LineFile::truncate(file);
}

void DeliveryController::saveScheduledEntries() {
    m_savePending = false;
    const QString app = m_appPath();
    if (app.isEmpty())
        return;
    LineFile::rewrite(InstallPath::resolve(app, MessageLists::kScheduledFile), m_schedule.all());
}

// --- the three lists ------------------------------------------------------------------

void DeliveryController::openList(const QString& caption, const QString& tag) {
    MessageListWindow w(caption, tag, m_lists.schedulebox, m_settings.BackColour, m_c.window());
    showList(w);
}

void DeliveryController::Picture9_Click() {
    openList(MessageLists::kAcceptedCaption, MessageLists::kAcceptedFile);
}

void DeliveryController::Picture15_Click() {
    openList(MessageLists::kFailedCaption, MessageLists::kFailedFile);
}

void DeliveryController::imgScheduledMessageQ_Click() {
    openList(MessageLists::kScheduledCaption, MessageLists::kScheduledTag);
}
