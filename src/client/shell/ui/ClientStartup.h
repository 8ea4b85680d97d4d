#pragma once

#include "client/settings/ClientSettings.h"

#include <QString>
#include <functional>
#include <memory>

class Installation;
class MainForm;
class SingleInstance;

// The client's start-up routine: files and settings made sure of, a second
// client of the same installation refused, the main window loaded and shown.
class ClientStartup {
public:
    explicit ClientStartup(Installation& installation, QString lockDir = QString());
    ~ClientStartup();

    enum class Outcome { Running, AlreadyRunning, ExitChosen };
    // `prepare` runs on the main window before its load (tests and the demo use it).
    Outcome start(const std::function<void(MainForm&)>& prepare = {});

    MainForm* mainForm() const { return m_form.get(); }
    ClientSettings& settings() { return m_settings; }

private:
    Installation& m_installation;
    QString m_lockDir;
    ClientSettings m_settings;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<MainForm> m_form;
};
