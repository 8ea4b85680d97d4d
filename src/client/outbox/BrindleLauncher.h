#pragma once

#include <QString>

// Starting the operator module, and later telling whether it still runs. The
// program starts it detached, so it outlives the client; tests replace it.
class BrindleLauncher {
public:
    virtual ~BrindleLauncher() = default;
    virtual bool start(const QString& program, const QString& workingDirectory) = 0;
    // Whether the process this launcher started last is still running.
    virtual bool running() const = 0;
    virtual void terminate() = 0;
};

class DetachedBrindleLauncher : public BrindleLauncher {
public:
    bool start(const QString& program, const QString& workingDirectory) override;
    bool running() const override;
    void terminate() override;

private:
    qint64 m_pid = 0;
    QString m_program; // canonical path, so a reused pid is never taken for ours
};
