#include "client/shell/ui/ClientStartup.h"

#include "client/shell/SingleInstance.h"
#include "client/shell/StartupFiles.h"
#include "client/shell/ui/MainForm.h"
#include "common/Installation.h"
#include "common/MessageBox.h"

ClientStartup::ClientStartup(Installation& installation, QString lockDir)
    : m_installation(installation), m_lockDir(std::move(lockDir)) {}

ClientStartup::~ClientStartup() = default;

ClientStartup::Outcome ClientStartup::start(const std::function<void(MainForm&)>& prepare) {
    const QString ownFolder = m_installation.programFolder();
    StartupFiles::ensureAll(ownFolder);

    m_instance = std::make_unique<SingleInstance>(ownFolder, m_lockDir);
    if (!m_instance->acquire()) {
        MessageBox::show("Quorvel is running ...", kQuorvelWarning, MessageBox::Icon::Information);
        return Outcome::AlreadyRunning;
    }

    m_settings = ClientSettings::loadWithDefaults();

    m_form = std::make_unique<MainForm>(m_settings, m_installation);
    if (prepare)
        prepare(*m_form);
    if (!m_form->load())
        return Outcome::ExitChosen;
    if (m_settings.StartInTray)
        m_form->setWindowState(m_form->windowState() | Qt::WindowMinimized);
    // Minimised into the notification area the window stays hidden behind its
    // icon; showing it now would map it again and the icon could not restore it.
    if (!m_form->inTray())
        m_form->show();
    return Outcome::Running;
}
