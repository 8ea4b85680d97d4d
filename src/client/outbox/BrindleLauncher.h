#pragma once

#include <QString>

// Starting the operator module, and later telling whether it still runs. The
// program starts it detached, so it outlives the client; tests replace it.
class BrindleLauncher {
public:
    virtual ~BrindleLauncher() = default;
    // Why `program` cannot be started ("" when nothing speaks against it);
    // asked before the wait that comes before a start.
    virtual QString startProblem(const QString& program) const = 0;
    // On failure `error` says why.
    virtual bool start(const QString& program, const QString& workingDirectory, QString& error) = 0;
    // Whether the process this launcher started last is still running.
    virtual bool running() const = 0;
    virtual void terminate() = 0;
    // What the last process started said before it ended, when it was kept
    // ("" when nothing was).
    virtual QString lastWords() const { return {}; }
};

class DetachedBrindleLauncher : public BrindleLauncher {
public:
    QString startProblem(const QString& program) const override;
    bool start(const QString& program, const QString& workingDirectory, QString& error) override;
    bool running() const override;
    void terminate() override;
    // Its first line of standard error, from the file given to keepErrorsIn.
    QString lastWords() const override;
    // Standard error goes to `file` (truncated at every start) rather than nowhere.
    void keepErrorsIn(const QString& file) { m_errorFile = file; }

private:
    QString m_errorFile;
    qint64 m_pid = 0;
    QString m_program; // canonical path, so a reused pid is never taken for ours
};
