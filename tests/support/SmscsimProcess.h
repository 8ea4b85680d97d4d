#pragma once

#include "support/ChildProcess.h"

// A simulator program serving its own pseudo-terminal.
class SmscsimProcess : public ChildProcess {
public:
    SmscsimProcess(const QString& program, const QStringList& args)
        : pty(start(program, args, QProcess::StandardOutput).trimmed()) {}
    QByteArray errors() { return m_process.readAllStandardError(); }
    QString pty; // empty when it did not come up
};
