#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ClientStartup;
class MainForm;
class QWidget;

// A scripted walk through the client as a new user would take it, saving a
// screenshot of every window it passes. The demo runs it where there is no
// display; the end-to-end tests run the same steps.
class DemoWalk {
public:
    // `installDir` is a complete installation; `shotDir` receives the PNGs.
    DemoWalk(QString installDir, QString shotDir);
    ~DemoWalk();

    // Runs every step; false (with `error()`) when one fails.
    bool run();
    QString error() const { return m_error; }
    QStringList screenshots() const { return m_shots; }
    MainForm* mainForm() const;

    // Saves a picture of a shown window.
    void shot(QWidget* window, const QString& name);

private:
    bool startClient();
    bool fail(const QString& why);

    QString m_installDir;
    QString m_shotDir;
    QString m_error;
    QStringList m_shots;
    std::unique_ptr<ClientStartup> m_startup;
};
