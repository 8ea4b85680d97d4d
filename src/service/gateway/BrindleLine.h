#pragma once

#include "Line.h"
#include "client/outbox/BrindleLauncher.h"
#include "handover/LineHandOver.h"

#include <QTemporaryFile>

// A gateway line: an installation whose Brindle owns one modem, handed
// messages exactly as quorvel-send hands them.
class BrindleLine : public Line {
public:
    // `dir`: the installation's folder.
    explicit BrindleLine(const std::string& dir);
    // Why the folder cannot serve as a line; empty when it can.
    std::string problem() const;
    const QString& appPath() const { return m_handOver.appPath(); }

    const std::string& name() const override { return m_name; }
    std::unique_ptr<Hold> holdStart() override;
    bool running() override { return m_handOver.running(); }
    std::optional<long long> reserveIds(int count) override;
    std::string entry(long long id, const std::string& received, const std::string& number,
                      const std::string& text) override;
    bool append(const std::vector<std::string>& entries) override;
    bool startRun(std::string& problem) override;
    Seen look() override;
    bool removeCarried(const std::set<long long>& ids) override;

private:
    std::string m_name;
    DetachedBrindleLauncher m_launcher;
    QTemporaryFile m_brindleErrors;
    LineHandOver m_handOver;
};
