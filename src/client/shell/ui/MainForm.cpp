#include "client/shell/ui/MainForm.h"

#include "client/composition/ui/ComposeController.h"
#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/ComposedMessageSource.h"
#include "client/outbox/RecipientSource.h"
#include "client/outbox/ui/DeliveryController.h"
#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/SendController.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/settings/ClientSettings.h"
#include "client/settings/ui/SplashWindow.h"
#include "client/shell/ui/TrayIcon.h"
#include "common/AppPath.h"
#include "common/ExchangeFiles.h"
#include "common/InstallPath.h"
#include "common/IntervalTimer.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"
#include "ui/PanelWidgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
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

// What Send takes from the editor.
class MainForm::ComposedMessage : public ComposedMessageSource {
public:
    explicit ComposedMessage(MainForm& form) : m_form(form) {}
    void replaceLineBreaks() override { m_form.compose().normaliseLineBreaks(); }
    QString subject() const override { return m_form.m_c.txtSubject->text(); }
    QString message() const override { return m_form.m_c.txtMessage->toPlainText(); }
    bool signatureOn() const override { return m_form.m_c.Check2->isChecked(); }
    void colourMessage(Colour colour) override { paintBase(m_form.m_c.txtMessage, colour); }
    void clearForNextMessage() override {
        MainFormControls& c = m_form.m_c;
        c.txtMessage->clear();
        c.txtSubject->clear();
        c.Combo1->setCurrentIndex(-1);
        m_form.compose().splitWarning().rearm();
        m_form.compose().ResetQuickMessageText();
        c.Text4->setText("0");
    }

private:
    MainForm& m_form;
};

// What Send takes from the Number List.
class MainForm::Recipients : public RecipientSource {
public:
    explicit Recipients(MainForm& form) : m_form(form) {}
    int numberListCount() const override { return m_form.m_c.List4->count(); }
    QStringList checkedEntries() const override {
        QStringList out;
        const QListWidget* list = m_form.m_c.List4;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked)
                out << list->item(i)->text();
        return out;
    }
    void colourNumberList(Colour colour) override { paintBase(m_form.m_c.List4, colour); }

private:
    MainForm& m_form;
};

MainForm::MainForm(ClientSettings& settings, QString programDir, QString currentDir,
                   QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_programDir(std::move(programDir)),
      m_currentDir(std::move(currentDir)), m_message(std::make_unique<ComposedMessage>(*this)),
      m_recipientSource(std::make_unique<Recipients>(*this)) {
    setObjectName("mainForm");
    setWindowTitle("Quorvel");
    setWindowIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    buildControls();
    m_tray = std::make_unique<TrayIcon>(this, mnuPopup);
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
    showConnectionDialog = [this] { applyConnectionLayout(m_settings.connection); };
}

MainForm::~MainForm() {
    // The panels go first: they hold on to the window's sources until then.
    delete m_send;
    delete m_outbox;
}

void MainForm::buildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    m_c.mainForm = this;
    Timer1 = named(new IntervalTimer(this), "Timer1");
    Timer2 = named(new IntervalTimer(this), "Timer2");

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

    // The outbox frame joins the window after the Send box, so the Tab key
    // reaches them in the order they are seen.
    const auto appPath = [this] { return m_appPath; };
    auto* outbox = new OutboxPanel(m_settings, appPath, CurrentOperator);
    m_send = new SendPanel(m_settings, appPath, {*outbox, *m_message, *m_recipientSource},
                           {*Timer1, *Timer2}, CurrentOperator, NOMAlive,
                           std::make_unique<DetachedBrindleLauncher>(), central);
    outbox->setParent(central);
    m_outbox = outbox;

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

    Command3 = named(new QPushButton("Exit", central), "Command3");
    mnuPopup = named(new QMenu(this), "mnuPopup");
    mnuShow = named(mnuPopup->addAction("Show Quorvel"), "mnuShow");
    connect(mnuShow, &QAction::triggered, this, [this] { mnuShow_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });

    // --- Arrangement ---------------------------------------------------------------------------
    auto* left = new QVBoxLayout;
    left->addWidget(m_c.fraSMSMessage, 3);
    left->addWidget(m_send);
    left->addWidget(m_outbox, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(m_c.Frame2, 1);
    right->addWidget(m_c.Frame4);
    right->addWidget(m_c.Frame6);
    right->addWidget(m_c.Frame9);
    auto* exitRow = new QHBoxLayout;
    exitRow->addStretch();
    exitRow->addWidget(Command3);
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
    // 1.
    m_send->beginLoad();
    // 2.
    CurrentOperator = "CEL";
    NOMAlive = true;
    // 3.
    if (showOptionsWindow && !showOptionsWindow())
        return false;
    // 4.
    Timer1->setInterval(10000);
    Timer2->setInterval(1000);
    Timer2->start();
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
        m_send->cmdConfigure->setEnabled(true);
    // 13. and 14.
    m_send->endLoad();
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
             m_c.fraSMSMessage, m_c.Frame2,         m_c.Frame9,    m_c.Frame6,      m_c.Frame4,
             m_c.optSelectAll,  m_c.optUnselectAll, m_c.Picture8,  m_c.Picture7,    m_c.Picture3,
             m_c.Picture6,      m_c.Picture2,       m_c.Picture16, m_c.Picture17,   m_c.Picture4,
             m_c.Picture10,     m_c.Picture19,      m_c.Picture18, m_c.picQuickMsg, m_c.Check2})
        paintBackground(w, colour);
    m_send->applyBackColour(colour);
    m_outbox->applyBackColour(colour);
}

void MainForm::applyConnectionLayout(ConnectionType connection) {
    m_send->applyConnectionLayout(connection);
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
    if (m_outbox->outbox->count() > 0) {
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
    m_send->delivery().saveScheduledEntries();
    m_recipients->SaveNumberList();
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        m_closing = true;
        // A send running beneath this close (its events run between
        // recipients) ends here, before it hands on any more entries.
        m_send->send().stop();
        // Nor may a poll start afterwards and release due scheduled entries.
        Timer1->setInterval(0);
        Timer1->stop();
        Timer2->stop();
        saveAtShutdown();
        RemoveTrayIcon();
    }
    event->accept();
    emit closed();
}
