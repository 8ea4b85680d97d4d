#include "client/shell/ui/MainForm.h"

#include "client/composition/ui/ComposeController.h"
#include "client/composition/ui/CompositionPanel.h"
#include "client/internet/InternetControls.h"
#include "client/internet/ServerCache.h"
#include "client/internet/ui/InternetController.h"
#include "client/modem_setup/ui/frmModemDetected.h"
#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/DeliverySupervisor.h"
#include "client/outbox/ui/DeliveryController.h"
#include "client/outbox/ui/ListWidgetEntryList.h"
#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/SendController.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/recipients/ui/ContactsController.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/recipients/ui/RecipientsPanel.h"
#include "client/settings/ClientSettings.h"
#include "client/settings/ui/SplashWindow.h"
#include "client/shell/ui/TrayIcon.h"
#include "common/ExchangeFiles.h"
#include "common/Installation.h"
#include "common/IntervalTimer.h"
#include "common/MessageBox.h"
#include "common/QSerialPortLine.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"
#include "ui/PanelWidgets.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

using namespace PanelWidgets;

// What the Internet route changes in this window.
class MainForm::InternetWindowLink : public InternetControls {
public:
    explicit InternetWindowLink(MainForm& form) : m_form(form) {}
    // The panels, not the window: the status window it owns stays usable.
    void setMainWindowEnabled(bool enabled) override {
        m_form.centralWidget()->setEnabled(enabled);
    }
    void showMainWindow() override {
        if (m_form.isHidden() && !m_form.inTray())
            m_form.show();
    }
    void setRemaining(const QString& text) override { m_form.m_send->setRemaining(text); }

private:
    MainForm& m_form;
};

MainForm::MainForm(ClientSettings& settings, Installation& installation, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_installation(installation) {
    setObjectName("mainForm");
    setWindowTitle("Quorvel");
    setWindowIcon(PanelWidgets::appIcon());
    buildPanels();
    m_tray = std::make_unique<TrayIcon>(this, m_trayMenu);
    connect(m_tray.get(), &TrayIcon::restoreRequested, this, &MainForm::restoreFromTray);
    showOptionsWindow = [this] { return defaultOptionsWindow(); };
    runConnectionDialog = [](frmModemDetected& dialog) { dialog.showModal(); };
}

MainForm::~MainForm() {
    m_internet.reset();
    // Send goes first: it reads the other panels until then.
    delete m_send;
}

void MainForm::buildInternet() {
    m_internetLink = std::make_unique<InternetWindowLink>(*this);
    m_outboxEntries = std::make_unique<ListWidgetEntryList>(m_outbox->outboxList());
    m_operatorQueue = std::make_unique<ListWidgetEntryList>(m_outbox->operatorQueueList());
    m_internet = std::make_unique<InternetController>(
        m_installation, InternetDelivery::Lists{*m_outboxEntries, *m_operatorQueue},
        *m_internetLink, m_settings, ServerCache::directoryFor(m_installation.programDir()), this);
    connect(m_internet.get(), &InternetController::connectRequested, this,
            [this] { showConnectionSettings(); });
}

void MainForm::buildPanels() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    m_pollTimer = named(new IntervalTimer(this), "Timer1");
    m_reminderTimer = named(new IntervalTimer(this), "Timer2");

    m_compose = new CompositionPanel(m_settings, m_installation, central);
    // The outbox frame joins the window after the Send box and the recipients
    // after both, so the Tab key reaches them in the order they are seen.
    m_outbox = new OutboxPanel(m_settings, m_installation);
    m_recipients = new RecipientsPanel(m_installation);
    // Before Send: Send Queue by Internet hands the outbox to its route.
    buildInternet();
    m_send = new SendPanel(
        m_settings, m_installation, {*m_outbox, *m_compose, *m_recipients, m_internet->delivery()},
        {*m_pollTimer, *m_reminderTimer}, std::make_unique<DetachedBrindleLauncher>(), central);
    m_outbox->setParent(central);
    m_recipients->setParent(central);

    m_exitButton = named(new QPushButton("E&xit", central), "Command3");
    m_trayMenu = named(new QMenu(this), "mnuPopup");
    m_showAction = named(m_trayMenu->addAction("Show Quorvel"), "mnuShow");
    connect(m_showAction, &QAction::triggered, this, [this] { showWindowChosen(); });
    connect(m_exitButton, &QPushButton::clicked, this, [this] { exitClicked(); });
    connect(m_send, &SendPanel::configureRequested, this, [this] { showConnectionSettings(); });

    auto* left = new QVBoxLayout;
    left->addWidget(m_compose, 3);
    left->addWidget(m_send);
    left->addWidget(m_outbox, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(m_recipients, 1);
    auto* exitRow = new QHBoxLayout;
    exitRow->addStretch();
    exitRow->addWidget(m_exitButton);
    right->addLayout(exitRow);
    m_top = new QHBoxLayout(central);
    m_top->addLayout(left, 3);
    m_top->addLayout(right, 2);
    resize(1200, 760);

    m_contacts = new ContactsController(*m_recipients, m_settings, m_installation, this, this);
    connect(m_contacts, &ContactsController::dockRequested, this, &MainForm::dockSidePanel);
    connect(m_contacts, &ContactsController::undockRequested, this, &MainForm::undockSidePanel);
}

void MainForm::dockSidePanel(QWidget* panel) {
    // A panel widened by hand gives way to the screen: the frames keep their
    // least width beside it.
    if (const QScreen* s = screen()) {
        const int frame = frameGeometry().width() - width();
        const int room =
            s->availableGeometry().width() - frame - minimumSizeHint().width() - m_top->spacing();
        if (panel->width() > room)
            panel->setFixedWidth(std::max(room, panel->minimumSizeHint().width()));
    }
    m_top->insertWidget(0, panel);
    resize(width() + panel->width() + m_top->spacing(), height());
    fitToScreen();
}

void MainForm::undockSidePanel(QWidget* panel) {
    m_top->removeWidget(panel);
    // The minimum size still counts the panel until the layouts run again.
    m_top->activate();
    layout()->activate();
    resize(width() - panel->width() - m_top->spacing(), height());
    fitToScreen();
}

void MainForm::fitToScreen() {
    const QScreen* s = screen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    // What the window manager's frame adds (nothing before the first show).
    const QSize frame = frameGeometry().size() - size();
    resize(std::min(width(), area.width() - frame.width()),
           std::min(height(), area.height() - frame.height()));
    QRect outer = frameGeometry();
    outer.moveCenter(area.center());
    move(std::max(outer.left(), area.left()), std::max(outer.top(), area.top()));
}

bool MainForm::defaultOptionsWindow() {
    SplashWindow splash(m_settings, this);
    splash.exec();
    return !splash.exitRequested();
}

bool MainForm::load() {
    // 1.
    m_send->beginLoad();
    // 3.
    if (showOptionsWindow && !showOptionsWindow())
        return false;
    // 4.
    m_pollTimer->setInterval(10000);
    m_reminderTimer->setInterval(1000);
    m_reminderTimer->start();
    // 5.
    m_installation.settle();
    // 6.
    m_compose->controller().InitCounters();
    // 7.
    ExchangeFiles::writeStateWord(m_installation.folder(), ExchangeFiles::kStart);
    // 8.
    m_recipients->controller().LoadFrequentNumbers();
    m_recipients->controller().LoadNumberList();
    m_recipients->controller().LoadGroups();
    // 9.
    m_contacts->LoadContactsSource();
    // 10.
    m_compose->controller().LoadQuickMessages();
    // 11.
    applyBackColour();
    // 12.
    showConnectionSettings();
    // 13. and 14.
    m_send->endLoad();
    m_recipients->controller().LoadCountryCodes();
    m_compose->controller().ResetQuickMessageText();
    fitToScreen();
    return true;
}

void MainForm::applyBackColour() {
    const auto& colour = m_settings.BackColour;
    if (!colour)
        return;
    paintBackground(centralWidget(), colour);
    paintBackground(this, colour);
    m_compose->applyBackColour(colour);
    m_send->applyBackColour(colour);
    m_outbox->applyBackColour(colour);
    m_recipients->applyBackColour(colour);
}

void MainForm::showConnectionSettings() {
    QSerialPortLine line;
    frmModemDetected dialog(m_settings, *this, m_installation.folder(), line, this);
    connect(&dialog, &frmModemDetected::internetConfirmed, this,
            [this] { m_internet->delivery().signOn(); });
    if (runConnectionDialog)
        runConnectionDialog(dialog);
    if (m_settings.noPort)
        m_send->enableConfigure();
}

void MainForm::applyConnectionLayout(ConnectionType connection) {
    m_settings.connection = connection;
    m_send->applyConnectionLayout(m_settings.connection);
}

void MainForm::setSendEnabled(bool enabled) {
    m_send->enableSend(enabled);
}

void MainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto* e = static_cast<QWindowStateChangeEvent*>(event);
    const bool justMinimised =
        (windowState() & Qt::WindowMinimized) && !(e->oldState() & Qt::WindowMinimized);
    if (m_settings.StartInTray && justMinimised && TrayIcon::available())
        showInTray();
}

void MainForm::showInTray() {
    if (!m_tray->show())
        return; // no notification area: stay an ordinary minimised window
    if (!(windowState() & Qt::WindowMinimized))
        setWindowState(windowState() | Qt::WindowMinimized);
    hide();
}

bool MainForm::inTray() const {
    return m_tray->visible() && isHidden();
}

void MainForm::restoreFromTray(bool activate) {
    if (!m_settings.StartInTray || isVisible())
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    if (activate)
        activateWindow();
}

void MainForm::showWindowChosen() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
}

void MainForm::exitClicked() {
    if (m_outbox->hasEntries()) {
        const auto answer = MessageBox::show(
            "Messages are still being processed. Please confirm exiting application    ",
            kQuorvelWarning, MessageBox::Icon::Question, MessageBox::Buttons::YesNo,
            MessageBox::Answer::No);
        if (answer != MessageBox::Answer::Yes)
            return;
    }
    close();
}

void MainForm::saveAtShutdown() {
    if (m_installation.folder().isEmpty())
        return; // never loaded: nothing of ours to save
    // The scheduled list is kept in its file as it changes; this is the last save.
    m_send->delivery().saveScheduledEntries();
    m_recipients->controller().SaveNumberList();
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        m_closing = true;
        // A send running beneath this close (its events run between
        // recipients) ends here, before it hands on any more entries.
        m_send->send().stop();
        // Nor may a poll start afterwards and release due scheduled entries.
        m_pollTimer->setInterval(0);
        m_pollTimer->stop();
        m_reminderTimer->stop();
        saveAtShutdown();
        m_contacts->Unload();
        m_tray->remove();
    }
    event->accept();
    emit closed();
}
