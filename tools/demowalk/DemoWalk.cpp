#include "DemoWalk.h"

#include "client/settings/ui/AboutBox.h"
#include "client/settings/ui/SplashWindow.h"
#include "client/shell/ui/ClientStartup.h"
#include "client/shell/ui/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

DemoWalk::DemoWalk(QString installDir, QString shotDir)
    : m_installDir(std::move(installDir)), m_shotDir(std::move(shotDir)) {}

DemoWalk::~DemoWalk() = default;

MainForm* DemoWalk::mainForm() const {
    return m_startup ? m_startup->mainForm() : nullptr;
}

bool DemoWalk::fail(const QString& why) {
    m_error = why;
    return false;
}

void DemoWalk::shot(QWidget* window, const QString& name) {
    window->show();
    window->raise();
    QApplication::processEvents();
    QDir().mkpath(m_shotDir);
    const QString file = QDir(m_shotDir).filePath(name + ".png");
    if (window->grab().save(file))
        m_shots << file;
}

bool DemoWalk::startClient() {
    m_startup =
        std::make_unique<ClientStartup>(m_installDir, m_installDir, m_installDir + "/.locks");
    QDir().mkpath(m_installDir + "/.locks");
    const auto outcome = m_startup->start([this](MainForm& form) {
        form.showOptionsWindow = [this, &form] {
            SplashWindow splash(form.settings(), &form);
            shot(&splash, "01-options-window");
            AboutBox about(form.settings(), &splash);
            shot(&about, "02-about-box");
            about.close();
            splash.Command2_Click();
            return !splash.exitRequested();
        };
    });
    if (outcome != ClientStartup::Outcome::Running)
        return fail("the client did not start");
    return true;
}

bool DemoWalk::run() {
    if (!startClient())
        return false;
    MainForm* form = mainForm();
    form->resize(1280, 800);
    shot(form, "03-main-window");
    form->close();
    return true;
}
