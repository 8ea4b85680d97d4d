#include "client/settings/ui/SplashWindow.h"

#include "client/settings/ClientSettings.h"
#include "client/settings/MoodColours.h"
#include "client/settings/ui/AboutBox.h"
#include "ui/BackColour.h"
#include "ui/PanelWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using PanelWidgets::named;

namespace {
QLabel* label(QWidget* parent, const char* name, const QString& text) {
    return named(new QLabel(text, parent), name);
}
} // namespace

SplashWindow::SplashWindow(ClientSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_options(settings) {
    setObjectName("frmSplash");
    setWindowTitle(QString());
    setModal(true);

    m_banner = named(new QFrame(this), "Picture1");
    m_banner->setFrameShape(QFrame::StyledPanel);
    auto* name = label(m_banner, "lblProductName", "Quorvel");
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    name->setFont(big);
    auto* version = label(m_banner, "lblVersion", "Version 3.0");
    auto* platform = label(m_banner, "lblPlatform", "Platform Win 95/98/NT/2000");
    auto* tagline = label(m_banner, "Label3", "Send SMS Messages");
    auto* outlook =
        label(m_banner, "Label2", QString("Microsoft Outlook") + QChar(174) + " Compatible");
    auto* pic = new QVBoxLayout(m_banner);
    pic->addWidget(name);
    pic->addWidget(version);
    pic->addWidget(platform);
    pic->addWidget(tagline);
    pic->addWidget(outlook);

    m_startInTray = named(new QCheckBox("Start in system tray", this), "chkMinOnStartup");
    auto* mood = label(this, "lblBackColor", "Choose your mood");
    m_mood = named(new QComboBox(this), "cmbBackColor");
    m_mood->addItems(MoodColours::names());
    PanelWidgets::labelFor(mood, m_mood);
    m_outlook = named(new QCheckBox("Enable", this), "outlookCheck");
    m_outlook->setAccessibleDescription("Enables the Outlook contact features");

    m_start = named(new QPushButton("Start Quorvel", this), "Command2");
    m_start->setDefault(true);
    m_about = named(new QPushButton("About Quorvel", this), "Command1");
    m_exit = named(new QPushButton("Exit Quorvel", this), "cmdExit");

    auto* options = new QGridLayout;
    options->addWidget(m_startInTray, 0, 0, 1, 2);
    options->addWidget(mood, 1, 0);
    options->addWidget(m_mood, 1, 1);
    options->addWidget(m_outlook, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_about);
    buttons->addWidget(m_exit);
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_banner);
    top->addLayout(options);
    top->addLayout(buttons);

    // The state change, so a screen reader's toggle counts as a click.
    connect(m_startInTray, &QCheckBox::toggled, this, [this] {
        if (!m_loading)
            startInTrayChosen();
    });
    connect(m_mood, &QComboBox::activated, this, [this] { moodChosen(); });
    connect(m_start, &QPushButton::clicked, this, [this] { startClicked(); });
    connect(m_about, &QPushButton::clicked, this, [this] { aboutClicked(); });
    connect(m_exit, &QPushButton::clicked, this, [this] { exitClicked(); });

    load();
}

void SplashWindow::load() {
    m_loading = true;
    const StartupOptions::Shown shown = m_options.load();
    m_startInTray->setChecked(shown.startInTrayTicked);
    m_mood->setCurrentIndex(shown.colourPosition);
    paintBackground(m_banner, MoodColours::optionsAccent());
    paintBackground(m_startInTray, MoodColours::optionsAccent());
    paintBackground(m_outlook, MoodColours::optionsAccent());
    m_loading = false;
}

void SplashWindow::startInTrayChosen() {
    m_options.chooseStartInTray(m_startInTray->isChecked());
}

void SplashWindow::moodChosen() {
    if (m_mood->currentIndex() >= 0)
        m_options.chooseColour(m_mood->currentIndex());
}

void SplashWindow::startClicked() {
    m_options.start(m_outlook->isChecked());
    accept();
}

void SplashWindow::aboutClicked() {
    AboutBox about(m_settings, this);
    about.exec();
}

void SplashWindow::exitClicked() {
    m_exitRequested = true;
    reject();
}
