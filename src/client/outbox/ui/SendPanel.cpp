#include "client/outbox/ui/SendPanel.h"

#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/OperatorInbox.h"
#include "client/outbox/ui/DeliveryController.h"
#include "client/outbox/ui/OutboxController.h"
#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/SendController.h"
#include "client/settings/ClientSettings.h"
#include "common/Clock.h"
#include "common/Installation.h"
#include "common/IntervalTimer.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"
#include "ui/PanelWidgets.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

using namespace PanelWidgets;

SendPanel::SendPanel(ClientSettings& settings, const Installation& installation, Areas areas,
                     Timers timers, std::unique_ptr<BrindleLauncher> launcher, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_outbox(areas.outbox), m_poll(timers.poll) {
    buildControls();
    connect(cmdConfigure, &QPushButton::clicked, this, &SendPanel::configureRequested);
    OutboxController& outbox = m_outbox.controller();
    m_send = std::make_unique<SendController>(*this, m_outbox, areas.message, areas.recipients,
                                              settings, installation, outbox);
    m_delivery =
        std::make_unique<DeliveryController>(*this, m_outbox, timers.poll, timers.blink, settings,
                                             installation, std::move(launcher), areas.internet);
    m_delivery->addOperatorQueue = [&outbox](const QString& entry) {
        if (!outbox.AddOperatorQueue(QStringList{entry}))
            MessageBox::show(OperatorInbox::kInboxNotWritten, kQuorvelWarning,
                             MessageBox::Icon::Warning);
    };
    m_delivery->buildScheduledEntries = [this] {
        const bool made = m_send->BuildScheduledEntries();
        // Saved at once: the window may have been closed during a long send.
        m_delivery->saveScheduledEntries();
        return made;
    };
    m_send->scheduleAction = [this] { m_delivery->scheduleClicked(); };
}

SendPanel::~SendPanel() = default;

void SendPanel::setRemaining(const QString& text) {
    lblRemaining->setText(text);
}

void SendPanel::enableSend(bool enabled) {
    Picture5->setEnabled(enabled);
    lblSend->setEnabled(enabled);
}

void SendPanel::enableConfigure() {
    cmdConfigure->setEnabled(true);
}

void SendPanel::buildControls() {
    fraSend = named(new QGroupBox("Send", this), "fraSend");
    auto* send = new QGridLayout(fraSend);
    Picture5 = pictureButton(fraSend, "Picture5", "send", "Send message");
    auto* sendCell = captioned(fraSend, Picture5, lblSend, "lblSend", "Send");
    Option1 = named(new QRadioButton("Queue Messages", fraSend), "Option1");
    Option2 = named(new QRadioButton("Send Immediately", fraSend), "Option2");
    Option1->setChecked(true);
    Command2 = named(new QPushButton("&Send Queue", fraSend), "Command2");
    cmdConfigure = named(new QPushButton("&Configure", fraSend), "cmdConfigure");
    Command2->setAccessibleDescription("Sends the messages waiting in the outbox");
    cmdConfigure->setAccessibleDescription("Opens the connection settings");
    dtSchDate = named(new QDateEdit(fraSend), "dtSchDate");
    dtSchDate->setCalendarPopup(true);
    dtSchDate->setDisplayFormat("dd/MM/yyyy");
    txttime = named(new QTimeEdit(fraSend), "txttime");
    txttime->setDisplayFormat("HH:mm");
    txttime->setTime(QTime(0, 0));
    imgSchedule = pictureButton(fraSend, "imgSchedule", "schedule", "Schedule message", "Schedule");
    imgScheduledMessageQ = pictureButton(fraSend, "imgScheduledMessageQ", "scheduled",
                                         "Scheduled Message Queue", "Scheduled");
    fraSMSRemaining = named(new QGroupBox("Quorvel Messages", fraSend), "fraSMSRemaining");
    lblRemaining = named(new QLabel(fraSMSRemaining), "lblRemaining");
    lblRemaining->setTextFormat(Qt::PlainText); // the server's text
    (new QVBoxLayout(fraSMSRemaining))->addWidget(lblRemaining);
    fraSMSRemaining->hide();
    send->addWidget(sendCell, 0, 0);
    send->addWidget(Option1, 0, 1);
    send->addWidget(Option2, 0, 2);
    send->addWidget(Command2, 0, 3);
    send->addWidget(cmdConfigure, 0, 4);
    auto* scheduleLabel = new QLabel("Schedule at", fraSend);
    labelFor(scheduleLabel, dtSchDate);
    txttime->setAccessibleName("Schedule at time");
    send->addWidget(scheduleLabel, 1, 0);
    send->addWidget(dtSchDate, 1, 1);
    send->addWidget(txttime, 1, 2);
    send->addWidget(imgSchedule, 1, 3);
    send->addWidget(imgScheduledMessageQ, 1, 4);
    send->addWidget(fraSMSRemaining, 2, 0, 1, 5);
    column(this)->addWidget(fraSend);
}

void SendPanel::beginLoad() {
    dtSchDate->setEnabled(m_settings.isModem());
    m_poll.stop();
}

void SendPanel::endLoad() {
    m_delivery->offerSavedEntries();
    dtSchDate->setDate(Clock::instance().now().date());
}

void SendPanel::applyConnectionLayout(ConnectionType connection) {
    const bool modem = connection == ConnectionType::Modem;
    const bool internet =
        connection == ConnectionType::Internet || connection == ConnectionType::InternetChosenNow;
    if (!modem && !internet)
        return; // nothing chosen yet
    m_poll.setInterval(modem ? 1000 : 0);
    dtSchDate->setEnabled(modem);
    txttime->setEnabled(modem);
    Option2->setEnabled(modem);
    Option2->setVisible(modem);
    Option1->setVisible(modem);
    if (internet && !Option1->isChecked())
        m_delivery->queueMessagesChosen();
    fraSMSRemaining->setVisible(internet);
    imgScheduledMessageQ->setEnabled(modem);
    imgScheduledMessageQ->setVisible(modem);
    m_outbox.Picture15->setEnabled(modem);
    m_outbox.Picture15->setVisible(modem);
    imgSchedule->setVisible(modem);
}

void SendPanel::applyBackColour(const std::optional<Colour>& colour) {
    for (QWidget* w : {static_cast<QWidget*>(fraSMSRemaining), static_cast<QWidget*>(Option1),
                       static_cast<QWidget*>(Option2), static_cast<QWidget*>(Picture5)})
        paintBackground(w, colour);
}
