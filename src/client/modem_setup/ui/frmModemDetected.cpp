#include "client/modem_setup/ui/frmModemDetected.h"

#include "client/modem_setup/MainWindowLink.h"
#include "client/modem_setup/ui/ClockFace.h"
#include "client/modem_setup/ui/frmWarning.h"
#include "client/settings/ClientSettings.h"
#include "common/MessageBox.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"
#include "ui/PanelWidgets.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace {

template <typename W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

bool isInternet(ConnectionType type) {
    return type == ConnectionType::Internet || type == ConnectionType::InternetChosenNow;
}

void tellNow(const Notice& notice) {
    MessageBox::tell(notice);
}

// Radio buttons of a group can only be cleared with the group open.
void clearChoice(QButtonGroup* group) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

} // namespace

frmModemDetected::frmModemDetected(ClientSettings& settings, MainWindowLink& mainWindow,
                                   const QString& appPath, SerialLine& line, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_tester(line, appPath, m_outside),
      m_connection(appPath, m_tester, m_outside, mainWindow) {
    m_outside.prefix = settings.OutDial;
    m_outside.savedOption = settings.OutDialOption;
    setObjectName("frmModemDetected");
    setWindowTitle("Modem Port Detection");
    setModal(true);
    // No close box to offer: the dialog is left through OK alone.
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint &
                   ~Qt::WindowContextHelpButtonHint);
    buildControls();
    m_connection.connection = settings.connection;

    connect(&m_tester, &ModemTester::stateChanged, this, [this] { showState(); });
    // Said in the middle of a test or search: the sequence waits for the box.
    connect(&m_tester, &ModemTester::said, this, &tellNow);
    connect(&m_tester, &ModemTester::busyChanged, this, [this](bool busy) { showBusy(busy); });
    // Every choice acts on the state change, so a screen reader's toggle
    // (which clicks nothing) works too; the dialog's own changes are no
    // change to the handlers.
    connect(optInternet, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            internetChosen();
    });
    connect(optModem, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            modemChosen();
    });
    connect(chkOutsideNo, &QCheckBox::toggled, this, [this](bool on) {
        if (on != m_outside.ticked)
            outsideLineToggled();
    });
    connect(Label5, &ClickableLabel::clicked, chkOutsideNo, &QCheckBox::click);
    connect(txtOutsideNumber, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_outside.text = text; });
    connect(txtMobile, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_connection.userMobile = text; });
    connect(txtEmail, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_connection.userEmail = text; });
    connect(m_ports, &QButtonGroup::idToggled, this, [this](int port, bool on) {
        if (on)
            m_tester.choosePort(port);
    });
    connect(butRefresh, &QPushButton::clicked, this, [this] { m_tester.DetectModem(); });
    connect(Command2, &QPushButton::clicked, this,
            [this] { pressed(m_tester.testModemClicked()); });
    connect(Command3, &QPushButton::clicked, this, [this] { pressed(m_tester.MainAutoDetect()); });
    connect(Command1, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(Timer1, &QTimer::timeout, Picture1, qOverload<>(&QWidget::update));

    load();
}

frmModemDetected::~frmModemDetected() {
    showBusy(false);
}

void frmModemDetected::buildControls() {
    Frame4 = named(new QGroupBox("Select Connection below", this), "Frame4");
    optInternet = named(new QRadioButton("Internet Connection", Frame4), "optInternet");
    optModem = named(new QRadioButton("Modem Connection", Frame4), "optModem");
    m_types = new QButtonGroup(this);
    m_types->addButton(optInternet);
    m_types->addButton(optModem);
    // The service's limits on the sign-on values.
    txtMobile = named(new QLineEdit(Frame4), "txtMobile");
    txtMobile->setMaxLength(32);
    txtEmail = named(new QLineEdit(Frame4), "txtEmail");
    txtEmail->setMaxLength(254);
    auto* connection = new QGridLayout(Frame4);
    connection->addWidget(optInternet, 0, 0);
    connection->addWidget(optModem, 0, 1);
    auto* mobileLabel = new QLabel("Your mobile number:", Frame4);
    auto* emailLabel = new QLabel("Your e-mail address:", Frame4);
    PanelWidgets::labelFor(mobileLabel, txtMobile);
    PanelWidgets::labelFor(emailLabel, txtEmail);
    connection->addWidget(mobileLabel, 1, 0);
    connection->addWidget(txtMobile, 1, 1);
    connection->addWidget(emailLabel, 2, 0);
    connection->addWidget(txtEmail, 2, 1);

    Frame3 = named(new QGroupBox("To dial an outside number", this), "Frame3");
    chkOutsideNo = named(new QCheckBox(Frame3), "chkOutsideNo");
    Label5 = named(new ClickableLabel(Frame3), "Label5");
    txtOutsideNumber = named(new QLineEdit(Frame3), "txtOutsideNumber");
    txtOutsideNumber->setMaximumWidth(60);
    txtOutsideNumber->setMaxLength(OutsideLine::kMaxLength);
    txtOutsideNumber->installEventFilter(this);
    Label4 = named(new QLabel("to dial an outside number.", Frame3), "Label4");
    // Label5 changes with the tick; the names stay.
    chkOutsideNo->setAccessibleName("Prefix to dial an outside number");
    txtOutsideNumber->setAccessibleName("Prefix");
    txtOutsideNumber->setAccessibleDescription(Label4->text());
    auto* prefix = new QHBoxLayout(Frame3);
    prefix->addWidget(chkOutsideNo);
    prefix->addWidget(Label5);
    prefix->addWidget(txtOutsideNumber);
    prefix->addWidget(Label4);
    prefix->addStretch();

    Frame2 = named(new QGroupBox("Select modem from COM ports below", this), "Frame2");
    m_ports = new QButtonGroup(this);
    auto* ports = new QHBoxLayout(Frame2);
    for (int i = 1; i <= ModemDialogState::kPorts; ++i) {
        auto* b = named(new QRadioButton(QStringLiteral("COM %1").arg(i), Frame2),
                        QStringLiteral("Option1_%1").arg(i));
        m_ports->addButton(b, i);
        ports->addWidget(b);
        Option1[i - 1] = b;
    }
    ports->addStretch();

    Frame1 = named(new QGroupBox("Modem Information", this), "Frame1");
    Label2 = named(new QLabel(Frame1), "Label2");
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label3 = named(new QLabel(Frame1), "Label3");
    lblModemMessage = named(new QLabel(Frame1), "lblModemMessage");
    for (QLabel* l : {Label2, Label3, lblModemMessage})
        l->setWordWrap(true);
    Picture1 = named(new ClockFace(Frame1), "Picture1");
    Picture1->hide();
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(100);
    auto* info = new QGridLayout(Frame1);
    info->addWidget(Label2, 0, 0);
    info->addWidget(Picture1, 0, 1, 3, 1, Qt::AlignTop);
    info->addWidget(Label3, 1, 0);
    info->addWidget(lblModemMessage, 2, 0);
    info->setColumnStretch(0, 1);
    Frame1->setMinimumHeight(150);

    Command3 = named(new QPushButton("Auto Detect", this), "Command3");
    Command2 = named(new QPushButton("Test Modem", this), "Command2");
    butRefresh = named(new QPushButton("Refresh", this), "butRefresh");
    Command1 = named(new QPushButton("OK", this), "Command1");
    Command3->setAccessibleDescription("Searches the ports for a modem");
    Command2->setAccessibleDescription("Tests the modem on the chosen port");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Command3, Command2, butRefresh, Command1}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }

    auto* top = new QVBoxLayout(this);
    top->addWidget(Frame4);
    top->addWidget(Frame3);
    top->addWidget(Frame2);
    top->addWidget(Frame1);
    top->addLayout(buttons);
    setFixedWidth(520);
}

void frmModemDetected::load() {
    m_connection.Load();
    txtMobile->setText(m_connection.userMobile);
    txtEmail->setText(m_connection.userEmail);
    showChoice();
    showState();
    showPrefix();
    for (QWidget* w : {static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2),
                       static_cast<QWidget*>(Frame3), static_cast<QWidget*>(Frame4),
                       static_cast<QWidget*>(optInternet), static_cast<QWidget*>(optModem)})
        paintBackground(w, m_settings.BackColour);
    for (QRadioButton* b : Option1)
        paintBackground(b, m_settings.BackColour);
}

void frmModemDetected::showModal() {
    setWindowModality(Qt::ApplicationModal);
    show();
    activate();
    // A search offered on showing may have ended with the dialog already gone.
    if (isVisible())
        exec();
}

void frmModemDetected::activate() {
    offerSearch(m_connection.Activate());
    showPrefix();
}

void frmModemDetected::offerSearch(const std::optional<Notice>& question) {
    if (question)
        m_connection.searchAnswered(MessageBox::tell(*question));
}

void frmModemDetected::pressed(const WithNotice<ModemTester::Press>& press) {
    MessageBox::tell(press.notice);
    focusPrefixWhen(press.value == ModemTester::Press::PrefixMissing);
}

void frmModemDetected::showChoice() {
    const ConnectionType type = m_connection.connection;
    if (type == ConnectionType::Modem)
        optModem->setChecked(true);
    else if (isInternet(type))
        optInternet->setChecked(true);
    else
        clearChoice(m_types);
}

void frmModemDetected::showState() {
    const ModemDialogState& s = m_tester.state();
    Label2->setText(s.headline);
    Label3->setText(s.explanation);
    lblModemMessage->setText(s.hint);
    for (QGroupBox* frame : {Frame1, Frame2, Frame3})
        frame->setEnabled(s.modemControlsEnabled);
    for (int i = 0; i < ModemDialogState::kPorts; ++i)
        Option1[i]->setEnabled(s.portEnabled[i] && !s.dialPending);
    for (int i = 0; i < ModemDialogState::kPorts; ++i)
        Option1[i]->setToolTip(s.portTips[i]);
    if (s.selectedPort >= 1 && s.selectedPort <= ModemDialogState::kPorts)
        Option1[s.selectedPort - 1]->setChecked(true);
    else
        clearChoice(m_ports);
    butRefresh->setEnabled(s.refreshEnabled);
    Command1->setEnabled(s.okEnabled);
    Command2->setEnabled(s.testEnabled);
    Command3->setEnabled(s.autoDetectEnabled);
}

void frmModemDetected::showPrefix() {
    chkOutsideNo->setChecked(m_outside.ticked);
    txtOutsideNumber->setText(m_outside.text);
    const bool ticked = m_outside.ticked;
    Label5->setText(OutsideLine::label5Caption(ticked));
    Label5->setEnabled(ticked);
    txtOutsideNumber->setVisible(ticked);
    txtOutsideNumber->setEnabled(ticked);
    Label4->setVisible(ticked);
}

void frmModemDetected::showBusy(bool busy) {
    Picture1->setVisible(busy);
    if (busy)
        Timer1->start();
    else
        Timer1->stop();
    if (busy != m_waitCursor) {
        m_waitCursor = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
}

void frmModemDetected::focusPrefixWhen(bool missing) {
    if (missing)
        txtOutsideNumber->setFocus();
}

void frmModemDetected::internetChosen() {
    if (isInternet(m_connection.connection))
        return; // no change
    if (!m_settings.IEWarningOff) {
        frmWarning notice(m_settings, this);
        notice.exec();
    }
    m_connection.internetChosen();
    showChoice();
    if (std::exchange(m_settings.IEWarningAccepted, false))
        okClicked();
}

void frmModemDetected::modemChosen() {
    if (m_connection.connection == ConnectionType::Modem)
        return; // no change
    offerSearch(m_connection.modemChosen(true));
    showChoice();
    showPrefix();
}

void frmModemDetected::outsideLineToggled() {
    m_connection.outsideLineToggled(chkOutsideNo->isChecked());
    showPrefix();
    focusPrefixWhen(m_outside.ticked);
}

void frmModemDetected::okClicked() {
    if (m_connection.confirmInternet())
        emit internetConfirmed();
    const auto [ok, notice] = m_connection.okClicked();
    MessageBox::tell(notice);
    switch (ok) {
    case ConnectionSettings::Ok::NoConnectionType:
        return;
    case ConnectionSettings::Ok::PrefixMissing:
        txtOutsideNumber->setFocus();
        return;
    case ConnectionSettings::Ok::Closing:
        break;
    }
    m_connection.Unload(&tellNow);
    m_settings.noPort = m_connection.noPort;
    m_settings.OutDial = m_outside.prefix;
    m_settings.OutDialOption = m_outside.savedOption;
    accept();
}

void frmModemDetected::closeEvent(QCloseEvent* event) {
    event->ignore();
}

bool frmModemDetected::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtOutsideNumber && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Typed characters only: editing keys and shortcuts (a paste) pass.
        const bool shortcut =
            key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!shortcut && !text.isEmpty() && text.front().unicode() >= 32 &&
            !OutsideLine::acceptsKey(text.front().unicode()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
