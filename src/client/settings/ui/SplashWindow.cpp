#include "client/settings/ui/SplashWindow.h"

#include "client/settings/ClientSettings.h"
#include "client/settings/MoodColours.h"
#include "client/settings/ui/AboutBox.h"
#include "ui/BackColour.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}
} // namespace

SplashWindow::SplashWindow(ClientSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_options(settings) {
    setObjectName("frmSplash");
    setWindowTitle(QString());
    setModal(true);

    Picture1 = new QFrame(this);
    Picture1->setObjectName("Picture1");
    Picture1->setFrameShape(QFrame::StyledPanel);
    auto* name = label(Picture1, "lblProductName", "Quorvel");
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    name->setFont(big);
    auto* version = label(Picture1, "lblVersion", "Version 3.0");
    auto* platform = label(Picture1, "lblPlatform", "Platform Win 95/98/NT/2000");
    auto* tagline = label(Picture1, "Label3", "Send SMS Messages");
    auto* outlook =
        label(Picture1, "Label2", QString("Microsoft Outlook") + QChar(174) + " Compatible");
    auto* pic = new QVBoxLayout(Picture1);
    pic->addWidget(name);
    pic->addWidget(version);
    pic->addWidget(platform);
    pic->addWidget(tagline);
    pic->addWidget(outlook);

    chkMinOnStartup = new QCheckBox("Start in system tray", this);
    chkMinOnStartup->setObjectName("chkMinOnStartup");
    auto* mood = label(this, "lblBackColor", "Choose your mood");
    cmbBackColor = new QComboBox(this);
    cmbBackColor->setObjectName("cmbBackColor");
    cmbBackColor->addItems(MoodColours::names());
    outlookCheck = new QCheckBox("Enable", this);
    outlookCheck->setObjectName("outlookCheck");

    Command2 = new QPushButton("Start Quorvel", this);
    Command2->setObjectName("Command2");
    Command2->setDefault(true);
    Command1 = new QPushButton("About Quorvel", this);
    Command1->setObjectName("Command1");
    cmdExit = new QPushButton("Exit Quorvel", this);
    cmdExit->setObjectName("cmdExit");

    auto* options = new QGridLayout;
    options->addWidget(chkMinOnStartup, 0, 0, 1, 2);
    options->addWidget(mood, 1, 0);
    options->addWidget(cmbBackColor, 1, 1);
    options->addWidget(outlookCheck, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    buttons->addWidget(cmdExit);
    auto* top = new QVBoxLayout(this);
    top->addWidget(Picture1);
    top->addLayout(options);
    top->addLayout(buttons);

    // The state change, so a screen reader's toggle counts as a click.
    connect(chkMinOnStartup, &QCheckBox::toggled, this, [this] {
        if (!m_loading)
            chkMinOnStartup_Click();
    });
    connect(cmbBackColor, &QComboBox::activated, this, [this] { cmbBackColor_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });

    Form_Load();
}

void SplashWindow::Form_Load() {
    m_loading = true;
    const StartupOptions::Shown shown = m_options.load();
    chkMinOnStartup->setChecked(shown.startInTrayTicked);
    cmbBackColor->setCurrentIndex(shown.colourPosition);
    paintBackground(Picture1, MoodColours::optionsAccent());
    paintBackground(chkMinOnStartup, MoodColours::optionsAccent());
    paintBackground(outlookCheck, MoodColours::optionsAccent());
    m_loading = false;
}

void SplashWindow::chkMinOnStartup_Click() {
    m_options.chooseStartInTray(chkMinOnStartup->isChecked());
}

void SplashWindow::cmbBackColor_Click() {
    if (cmbBackColor->currentIndex() >= 0)
        m_options.chooseColour(cmbBackColor->currentIndex());
}

void SplashWindow::Command2_Click() {
    m_options.start(outlookCheck->isChecked());
    accept();
}

void SplashWindow::Command1_Click() {
    AboutBox about(m_settings, this);
    about.exec();
}

void SplashWindow::cmdExit_Click() {
    m_exit = true;
    reject();
}
