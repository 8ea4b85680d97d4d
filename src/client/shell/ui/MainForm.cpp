#include "client/shell/ui/MainForm.h"

#include "client/composition/ui/ComposeController.h"
#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/OperatorInbox.h"
#include "client/outbox/ui/DeliveryController.h"
#include "client/outbox/ui/OutboxController.h"
#include "client/outbox/ui/SendController.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/settings/ui/SplashWindow.h"
#include "client/shell/ClientSettings.h"
#include "client/shell/ui/TrayIcon.h"
#include "common/AppPath.h"
#include "common/Clock.h"
#include "common/ExchangeFiles.h"
#include "common/InstallPath.h"
#include "common/IntervalTimer.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename W> W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QToolButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap pixmap,
                           const QString& tip, const QString& text = QString()) {
    auto* b = named(new QToolButton(parent), name);
    b->setIcon(parent->style()->standardIcon(pixmap));
    b->setToolTip(tip);
    b->setAutoRaise(false);
    if (!text.isEmpty()) {
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return b;
}

// A picture button with its caption label beside it; the label clicks the button.
QWidget* captioned(QWidget* parent, QToolButton* button, ClickableLabel*& label,
                   const char* labelName, const QString& caption) {
    auto* box = new QWidget(parent);
    auto* l = new QHBoxLayout(box);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(4);
    button->setParent(box);
    label = named(new ClickableLabel(caption, box), labelName);
    label->setToolTip(button->toolTip());
    label->setCursor(Qt::PointingHandCursor);
    QObject::connect(label, &ClickableLabel::clicked, button, &QToolButton::click);
    l->addWidget(button);
    l->addWidget(label);
    l->addStretch();
    return box;
}

QLineEdit* counter(QWidget* parent, const char* name) {
    auto* e = named(new QLineEdit(parent), name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setAlignment(Qt::AlignRight);
    e->setMaximumWidth(70);
    return e;
}

} // namespace

MainForm::MainForm(ClientSettings& settings, QString programDir, QString currentDir,
                   QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_programDir(std::move(programDir)),
      m_currentDir(std::move(currentDir)) {
    setObjectName("mainForm");
    setWindowTitle("Quorvel");
    setWindowIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    buildControls();
    m_tray = std::make_unique<TrayIcon>(this, m_c.mnuPopup);
    connect(m_tray.get(), &TrayIcon::restoreRequested, this, [this](bool activate) {
        if (!m_settings.StartInTray || isVisible())
            return;
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        if (activate)
            activateWindow();
    });
    showOptionsWindow = [this] { return defaultOptionsWindow(); };
    m_compose = std::make_unique<ComposeController>(
        m_c, m_settings, [this] { return m_appPath; }, [this] { return MaxSmsLength; });
    m_recipients = std::make_unique<RecipientsController>(m_c, [this] { return m_appPath; });
    showConnectionDialog = [this] { applyConnectionLayout(m_settings.ConnectionType); };
    m_outbox = std::make_unique<OutboxController>(
        m_c, m_settings, [this] { return m_appPath; }, CurrentOperator);
    m_delivery = std::make_unique<DeliveryController>(
        m_c, m_settings, [this] { return m_appPath; }, CurrentOperator, NOMAlive,
        std::make_unique<DetachedBrindleLauncher>());
    m_delivery->addOperatorQueue = [this](const QString& entry) {
        if (!m_outbox->AddOperatorQueue(QStringList{entry}))
            MessageBox::show(OperatorInbox::kInboxNotWritten, kQuorvelWarning,
                             MessageBox::Icon::Warning);
    };
    m_delivery->buildScheduledEntries = [this] {
        const bool made = m_outbox->send().BuildScheduledEntries();
        // Saved at once: the window may have been closed during a long send.
        m_delivery->saveScheduledEntries();
        return made;
    };
    m_outbox->send().scheduleAction = [this] { m_delivery->imgSchedule_Click(); };
    m_outbox->send().replaceLineBreaks = [this] { m_compose->normaliseLineBreaks(); };
    m_outbox->send().signature = [this] { return SignatureInputs::fromFile(m_appPath); };
    m_outbox->send().editorReset = [this] {
        m_compose->splitWarning().rearm();
        m_compose->ResetQuickMessageText();
    };
}

MainForm::~MainForm() = default;

void MainForm::buildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    m_c.mainForm = this;

    // --- Composition -------------------------------------------------------
    m_c.fraSMSMessage = named(new QGroupBox("SMS Message", central), "fraSMSMessage");
    auto* sms = new QGridLayout(m_c.fraSMSMessage);
    m_c.txtSubject = named(new QLineEdit(m_c.fraSMSMessage), "txtSubject");
    m_c.txtSubject->setMaxLength(100);
    m_c.txtSubject->setToolTip("Type your subject here");
    m_c.txtMessage = named(new QPlainTextEdit(m_c.fraSMSMessage), "txtMessage");
    m_c.txtMessage->setToolTip("Type your message here");
    m_c.Combo1 = named(new QComboBox(m_c.fraSMSMessage), "Combo1");
    m_c.Combo1->setToolTip("Quick Message Text");
    m_c.Combo1->setPlaceholderText("Quick Message");
    m_c.Combo1->setMinimumContentsLength(24);
    m_c.Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_c.picQuickMsg = pictureButton(m_c.fraSMSMessage, "picQuickMsg",
                                    QStyle::SP_FileDialogNewFolder, "Add Quick Message");
    m_c.Check2 = named(new QCheckBox("Signature", m_c.fraSMSMessage), "Check2");
    m_c.Check2->setChecked(true);
    m_c.Picture10 = pictureButton(m_c.fraSMSMessage, "Picture10", QStyle::SP_FileDialogDetailedView,
                                  "Change Signature");
    m_c.Picture17 = pictureButton(m_c.fraSMSMessage, "Picture17", QStyle::SP_DialogResetButton,
                                  "Clear message to be sent", "Clear");
    m_c.fraChrCnt = named(new QGroupBox("Character Count", m_c.fraSMSMessage), "fraChrCnt");
    auto* cnt = new QGridLayout(m_c.fraChrCnt);
    m_c.txtLenSignature = counter(m_c.fraChrCnt, "txtLenSignature");
    m_c.Text4 = counter(m_c.fraChrCnt, "Text4");
    m_c.Text4->setText("0");
    m_c.Text4->setToolTip("Letters Left to be Sent");
    m_c.txtLenTotal = counter(m_c.fraChrCnt, "txtLenTotal");
    cnt->addWidget(new QLabel("Signature", m_c.fraChrCnt), 0, 0);
    cnt->addWidget(new QLabel("Message", m_c.fraChrCnt), 0, 1);
    cnt->addWidget(new QLabel("Total", m_c.fraChrCnt), 0, 2);
    cnt->addWidget(m_c.txtLenSignature, 1, 0);
    cnt->addWidget(m_c.Text4, 1, 1);
    cnt->addWidget(m_c.txtLenTotal, 1, 2);

    auto* subjectLabel = new QLabel("Subject", m_c.fraSMSMessage);
    subjectLabel->setBuddy(m_c.txtSubject);
    sms->addWidget(subjectLabel, 0, 0);
    sms->addWidget(m_c.txtSubject, 0, 1, 1, 5);
    sms->addWidget(new QLabel("Message", m_c.fraSMSMessage), 1, 0, Qt::AlignTop);
    sms->addWidget(m_c.txtMessage, 1, 1, 1, 5);
    sms->addWidget(m_c.Combo1, 2, 1);
    sms->addWidget(m_c.picQuickMsg, 2, 2);
    sms->addWidget(m_c.Check2, 2, 3);
    sms->addWidget(m_c.Picture10, 2, 4);
    sms->addWidget(m_c.Picture17, 2, 5);
    sms->addWidget(m_c.fraChrCnt, 3, 1, 1, 5);
    sms->setRowStretch(1, 1);
    sms->setColumnStretch(1, 1);

    // --- Sending, queue modes, scheduling -------------------------------------
    auto* sendBox = named(new QGroupBox("Send", central), "fraSend");
    auto* send = new QGridLayout(sendBox);
    m_c.Picture5 = pictureButton(sendBox, "Picture5", QStyle::SP_ArrowForward, "Send message");
    auto* sendCell = captioned(sendBox, m_c.Picture5, m_c.lblSend, "lblSend", "Send");
    m_c.Option1 = named(new QRadioButton("Queue Messages", sendBox), "Option1");
    m_c.Option2 = named(new QRadioButton("Send Immediately", sendBox), "Option2");
    m_c.Option1->setChecked(true);
    m_c.Command2 = named(new QPushButton("Send Queue", sendBox), "Command2");
    m_c.cmdConfigure = named(new QPushButton("Configure", sendBox), "cmdConfigure");
    m_c.dtSchDate = named(new QDateEdit(sendBox), "dtSchDate");
    m_c.dtSchDate->setCalendarPopup(true);
    m_c.dtSchDate->setDisplayFormat("dd/MM/yyyy");
    m_c.txttime = named(new QTimeEdit(sendBox), "txttime");
    m_c.txttime->setDisplayFormat("HH:mm");
    m_c.txttime->setTime(QTime(0, 0));
    m_c.imgSchedule = pictureButton(sendBox, "imgSchedule", QStyle::SP_FileDialogInfoView,
                                    "Schedule message", "Schedule");
    m_c.imgScheduledMessageQ =
        pictureButton(sendBox, "imgScheduledMessageQ", QStyle::SP_FileDialogListView,
                      "Scheduled Message Queue", "Scheduled");
    m_c.fraSMSRemaining = named(new QGroupBox("Quorvel Messages", sendBox), "fraSMSRemaining");
    m_c.lblRemaining = named(new QLabel(m_c.fraSMSRemaining), "lblRemaining");
    (new QVBoxLayout(m_c.fraSMSRemaining))->addWidget(m_c.lblRemaining);
    m_c.fraSMSRemaining->hide();
    send->addWidget(sendCell, 0, 0);
    send->addWidget(m_c.Option1, 0, 1);
    send->addWidget(m_c.Option2, 0, 2);
    send->addWidget(m_c.Command2, 0, 3);
    send->addWidget(m_c.cmdConfigure, 0, 4);
    send->addWidget(new QLabel("Schedule at", sendBox), 1, 0);
    send->addWidget(m_c.dtSchDate, 1, 1);
    send->addWidget(m_c.txttime, 1, 2);
    send->addWidget(m_c.imgSchedule, 1, 3);
    send->addWidget(m_c.imgScheduledMessageQ, 1, 4);
    send->addWidget(m_c.fraSMSRemaining, 2, 0, 1, 5);

    // --- Outbox ----------------------------------------------------------------
    m_c.Frame10 = named(new QGroupBox("Outbox", central), "Frame10");
    auto* out = new QGridLayout(m_c.Frame10);
    m_c.outbox = named(new QListWidget(m_c.Frame10), "outbox");
    m_c.Picture12 = pictureButton(m_c.Frame10, "Picture12", QStyle::SP_TrashIcon,
                                  "Delete selected message", "Delete");
    m_c.Picture1 = pictureButton(m_c.Frame10, "Picture1", QStyle::SP_DialogDiscardButton,
                                 "Remove all messages", "Remove All");
    m_c.Picture9 = pictureButton(m_c.Frame10, "Picture9", QStyle::SP_DialogApplyButton,
                                 "Accepted Messages", "Accepted");
    m_c.Picture15 = pictureButton(m_c.Frame10, "Picture15", QStyle::SP_MessageBoxWarning,
                                  "Failed Messages", "Failed");
    out->addWidget(m_c.outbox, 0, 0, 1, 5);
    out->addWidget(m_c.Picture12, 1, 0);
    out->addWidget(m_c.Picture1, 1, 1);
    out->addWidget(m_c.Picture9, 1, 2);
    out->addWidget(m_c.Picture15, 1, 3);
    out->setColumnStretch(4, 1);

    // --- Number List -------------------------------------------------------------
    m_c.Frame2 = named(new QGroupBox("Number List", central), "Frame2");
    auto* nl = new QGridLayout(m_c.Frame2);
    m_c.List4 = named(new QListWidget(m_c.Frame2), "List4");
    m_c.List4->setAcceptDrops(true);
    m_c.Picture7 =
        pictureButton(m_c.Frame2, "Picture7", QStyle::SP_TrashIcon, "Remove Selected Number");
    m_c.Picture8 =
        pictureButton(m_c.Frame2, "Picture8", QStyle::SP_DialogDiscardButton, "Remove all numbers");
    m_c.optSelectAll = named(new QRadioButton("Select All", m_c.Frame2), "optSelectAll");
    m_c.optSelectAll->setToolTip("Select all numbers");
    m_c.optUnselectAll = named(new QRadioButton("Unselect All", m_c.Frame2), "optUnselectAll");
    m_c.optUnselectAll->setToolTip("Unselect all numbers");
    nl->addWidget(m_c.List4, 0, 0, 1, 4);
    nl->addWidget(captioned(m_c.Frame2, m_c.Picture7, m_c.Label4, "Label4", "Delete"), 1, 0);
    nl->addWidget(captioned(m_c.Frame2, m_c.Picture8, m_c.Label5, "Label5", "Delete All"), 1, 1);
    nl->addWidget(m_c.optSelectAll, 1, 2);
    nl->addWidget(m_c.optUnselectAll, 1, 3);

    // --- Single Contact ------------------------------------------------------------
    m_c.Frame4 = named(new QGroupBox("Single Contact", central), "Frame4");
    auto* sc = new QGridLayout(m_c.Frame4);
    m_c.lblName = named(new QLabel("Name", m_c.Frame4), "lblName");
    m_c.Text1 = named(new QLineEdit(m_c.Frame4), "Text1");
    m_c.Text1->setToolTip("Enter a Name");
    m_c.lblMobile = named(new QLabel("Mobile", m_c.Frame4), "lblMobile");
    m_c.Text3 = named(new QLineEdit(m_c.Frame4), "Text3");
    m_c.Text3->setToolTip("Enter a Mobile number");
    m_c.cmbCountryCode = named(new QComboBox(m_c.Frame4), "cmbCountryCode");
    m_c.cmbCountryCode->setEditable(true);
    m_c.cmbCountryCode->setInsertPolicy(QComboBox::NoInsert);
    m_c.cmbCountryCode->setToolTip("Select a Country code");
    m_c.Picture4 = pictureButton(m_c.Frame4, "Picture4", QStyle::SP_ArrowUp, "Add To Number List");
    m_c.Picture16 = pictureButton(m_c.Frame4, "Picture16", QStyle::SP_DialogResetButton,
                                  "Clear Name/Number Details");
    m_c.Picture3 = pictureButton(m_c.Frame4, "Picture3", QStyle::SP_FileDialogNewFolder,
                                 "Add Number to Freq. Dialled Number List");
    sc->addWidget(m_c.lblName, 0, 0);
    sc->addWidget(m_c.Text1, 0, 1, 1, 2);
    sc->addWidget(m_c.lblMobile, 1, 0);
    sc->addWidget(m_c.Text3, 1, 1, 1, 2);
    sc->addWidget(new QLabel("Country Code", m_c.Frame4), 2, 0);
    sc->addWidget(m_c.cmbCountryCode, 2, 1, 1, 2);
    sc->addWidget(captioned(m_c.Frame4, m_c.Picture4, m_c.lblAddSingleContact,
                            "lblAddSingleContact", "Add To Number List"),
                  3, 0, 1, 2);
    sc->addWidget(captioned(m_c.Frame4, m_c.Picture16, m_c.lblClear, "lblClear", "Clear"), 3, 2);
    sc->addWidget(captioned(m_c.Frame4, m_c.Picture3, m_c.lblAddFreqDialedNo, "lblAddFreqDialedNo",
                            "Add Number to Freq. Dialled Number List"),
                  4, 0, 1, 3);
    sc->setColumnStretch(1, 1);

    // --- Frequently dialled numbers -----------------------------------------------------
    m_c.Frame6 = named(new QGroupBox("Frequently Dialed Numbers", central), "Frame6");
    auto* fd = new QGridLayout(m_c.Frame6);
    m_c.Combo2 = named(new QComboBox(m_c.Frame6), "Combo2");
    m_c.Combo2->setToolTip("Please select a Number");
    m_c.Picture18 =
        pictureButton(m_c.Frame6, "Picture18", QStyle::SP_ArrowUp, "Add To Number List");
    m_c.Picture6 = pictureButton(m_c.Frame6, "Picture6", QStyle::SP_TrashIcon,
                                 "Delete Selected Freq. Dialled Number");
    fd->addWidget(m_c.Combo2, 0, 0, 1, 2);
    fd->addWidget(captioned(m_c.Frame6, m_c.Picture18, m_c.lblAddFreqDialedNos,
                            "lblAddFreqDialedNos", "Add To Number List"),
                  1, 0);
    fd->addWidget(captioned(m_c.Frame6, m_c.Picture6, m_c.Label3, "Label3", "Delete"), 1, 1);

    // --- Contact groups and contacts -------------------------------------------------------
    m_c.Frame9 = named(new QGroupBox("Contact Groups", central), "Frame9");
    auto* cg = new QGridLayout(m_c.Frame9);
    m_c.Combo3 = named(new QComboBox(m_c.Frame9), "Combo3");
    m_c.Combo3->setToolTip("Please select a Group");
    m_c.Picture19 =
        pictureButton(m_c.Frame9, "Picture19", QStyle::SP_ArrowUp, "Add To Number List");
    m_c.Picture2 = pictureButton(m_c.Frame9, "Picture2", QStyle::SP_FileDialogContentsView,
                                 "This allows you to configure contact groups");
    m_c.picContact =
        pictureButton(m_c.Frame9, "picContact", QStyle::SP_DirHomeIcon, "Quorvel contacts");
    m_c.picOutLook = pictureButton(m_c.Frame9, "picOutLook", QStyle::SP_DirHomeIcon,
                                   "Microsoft Outlook and Quorvel Contacts");
    m_c.picOutLook->hide();
    auto* contactsCell = captioned(m_c.Frame9, m_c.picContact, m_c.Label7, "Label7", "Contact");
    contactsCell->layout()->addWidget(m_c.picOutLook);
    cg->addWidget(m_c.Combo3, 0, 0, 1, 3);
    cg->addWidget(captioned(m_c.Frame9, m_c.Picture19, m_c.lblAddGrpNos, "lblAddGrpNos",
                            "Add To Number List"),
                  1, 0);
    cg->addWidget(captioned(m_c.Frame9, m_c.Picture2, m_c.Label2, "Label2", "Edit"), 1, 1);
    cg->addWidget(contactsCell, 1, 2);

    m_c.Command3 = named(new QPushButton("Exit", central), "Command3");

    // --- Hidden state lists and timers ------------------------------------------------------
    m_c.ListCellnet = named(new QListWidget(central), "ListCellnet");
    m_c.ListCellnet->hide();
    m_c.schedulebox = named(new QListWidget(central), "schedulebox");
    m_c.schedulebox->hide();
    m_c.Timer1 = named(new IntervalTimer(this), "Timer1");
    m_c.Timer2 = named(new IntervalTimer(this), "Timer2");
    m_c.mnuPopup = named(new QMenu(this), "mnuPopup");
    m_c.mnuShow = named(m_c.mnuPopup->addAction("Show Quorvel"), "mnuShow");
    connect(m_c.mnuShow, &QAction::triggered, this, [this] { mnuShow_Click(); });
    connect(m_c.Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });

    // --- Arrangement ---------------------------------------------------------------------------
    auto* left = new QVBoxLayout;
    left->addWidget(m_c.fraSMSMessage, 3);
    left->addWidget(sendBox);
    left->addWidget(m_c.Frame10, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(m_c.Frame2, 1);
    right->addWidget(m_c.Frame4);
    right->addWidget(m_c.Frame6);
    right->addWidget(m_c.Frame9);
    auto* exitRow = new QHBoxLayout;
    exitRow->addStretch();
    exitRow->addWidget(m_c.Command3);
    right->addLayout(exitRow);
    auto* top = new QHBoxLayout(central);
    top->addLayout(left, 3);
    top->addLayout(right, 2);
    resize(1200, 760);
}

bool MainForm::defaultOptionsWindow() {
    SplashWindow splash(m_settings, this);
    splash.exec();
    return !splash.exitRequested();
}

bool MainForm::load() {
    // 1. The schedule date needs the modem route.
    m_c.dtSchDate->setEnabled(m_settings.ConnectionType == 0);
    m_c.Timer1->stop();
    // 2.
    CurrentOperator = "CEL";
    NOMAlive = true;
    // 3.
    if (showOptionsWindow && !showOptionsWindow())
        return false;
    // 4.
    m_c.Timer1->setInterval(10000);
    m_c.Timer2->setInterval(1000);
    m_c.Timer2->start();
    MaxSmsLength = 160;
    // 5.
    m_appPath = AppPath(m_programDir, m_currentDir).resolveAndStore();
    // 6.
    m_compose->InitCounters();
    // 7.
    ExchangeFiles::writeStateWord(m_appPath, ExchangeFiles::kStart);
    // 8.
    m_recipients->LoadFrequentNumbers();
    m_recipients->LoadNumberList();
    fillListsFromFiles();
    // 10.
    m_compose->LoadQuickMessages();
    // 11.
    ApplyBackColour();
    // 12.
    if (showConnectionDialog)
        showConnectionDialog();
    if (m_settings.noPort)
        m_c.cmdConfigure->setEnabled(true);
    // 13.
    m_delivery->offerSavedEntries();
    // 14.
    m_c.dtSchDate->setDate(Clock::instance().now().date());
    m_recipients->LoadCountryCodes();
    m_compose->ResetQuickMessageText();
    return true;
}

void MainForm::fillListsFromFiles() {
    const auto lines = [this](const char* rel) {
        return LineFile::readAll(InstallPath::resolve(m_appPath, QString::fromLatin1(rel)));
    };
    m_c.Combo3->clear();
    m_c.Combo3->addItems(lines("Groups\\Group.dat"));
}

void MainForm::ApplyBackColour() {
    const auto& colour = m_settings.BackColour;
    if (!colour)
        return;
    paintBackground(centralWidget(), colour);
    paintBackground(this, colour);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_c.fraSMSMessage, m_c.Frame2,       m_c.Frame9,          m_c.Frame6,
             m_c.Frame4,        m_c.Frame10,      m_c.fraSMSRemaining, m_c.Option1,
             m_c.Option2,       m_c.optSelectAll, m_c.optUnselectAll,  m_c.Picture5,
             m_c.Picture1,      m_c.Picture8,     m_c.Picture7,        m_c.Picture3,
             m_c.Picture6,      m_c.Picture2,     m_c.Picture16,       m_c.Picture17,
             m_c.Picture4,      m_c.Picture9,     m_c.Picture15,       m_c.Picture10,
             m_c.Picture19,     m_c.Picture18,    m_c.picQuickMsg,     m_c.Check2})
        paintBackground(w, colour);
}

void MainForm::applyConnectionLayout(int connectionType) {
    const bool modem = connectionType == 0;
    const bool internet = connectionType == 1 || connectionType == -1;
    if (!modem && !internet)
        return; // nothing chosen yet
    m_c.Timer1->setInterval(modem ? 1000 : 0);
    m_c.dtSchDate->setEnabled(modem);
    m_c.txttime->setEnabled(modem);
    m_c.Option2->setEnabled(modem);
    m_c.Option2->setVisible(modem);
    m_c.Option1->setVisible(modem);
    if (internet && !m_c.Option1->isChecked())
        m_delivery->Option1_Click();
    m_c.fraSMSRemaining->setVisible(internet);
    m_c.imgScheduledMessageQ->setEnabled(modem);
    m_c.imgScheduledMessageQ->setVisible(modem);
    m_c.Picture15->setEnabled(modem);
    m_c.Picture15->setVisible(modem);
    m_c.imgSchedule->setVisible(modem);
}

void MainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto* e = static_cast<QWindowStateChangeEvent*>(event);
    const bool justMinimised =
        (windowState() & Qt::WindowMinimized) && !(e->oldState() & Qt::WindowMinimized);
    if (m_settings.StartInTray && justMinimised && TrayIcon::available())
        ShowInTray();
}

void MainForm::ShowInTray() {
    if (!m_tray->show())
        return; // no notification area: stay an ordinary minimised window
    if (!(windowState() & Qt::WindowMinimized))
        setWindowState(windowState() | Qt::WindowMinimized);
    hide();
}

bool MainForm::inTray() const {
    return m_tray->visible() && isHidden();
}

void MainForm::RemoveTrayIcon() {
    m_tray->remove();
}

void MainForm::mnuShow_Click() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
}

void MainForm::Command3_Click() {
    if (m_c.outbox->count() > 0) {
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
    if (m_appPath.isEmpty())
        return; // never loaded: nothing of ours to save
    // The scheduled list is kept in its file as it changes; this is the last save.
    m_delivery->saveScheduledEntries();
    m_recipients->SaveNumberList();
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        m_closing = true;
        // A send running beneath this close (its events run between
        // recipients) ends here, before it hands on any more entries.
        m_outbox->send().stop();
        // Nor may a poll start afterwards and release due scheduled entries.
        m_c.Timer1->setInterval(0);
        m_c.Timer1->stop();
        m_c.Timer2->stop();
        saveAtShutdown();
        RemoveTrayIcon();
    }
    event->accept();
    emit closed();
}
