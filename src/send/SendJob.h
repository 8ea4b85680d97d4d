#pragma once

#include "handover/LineHandOver.h"
#include "send/SendOptions.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class BrindleLauncher;

// One run of quorvel-send: the installation, the recipients and the text
// checked before anything is written; the entries assembled as Send makes
// them, their ids reserved, the entries appended to Brindle's inbox, Brindle
// started when no run holds its lock; with --wait, the entries followed to
// Brindle.out or Brindle.rcv.
class SendJob {
public:
    enum Exit {
        Sent = 0,
        Failed = 1,
        CarriedOver = 2,
        Rejected = 3,
        TimedOut = 4,
        CouldNotStart = 5
    };

    // How often --wait looks at the files.
    static constexpr qint64 kPollMs = 250;
    // Entries left queued after a run ended start another, at most this often.
    static constexpr qint64 kRestartMs = 5000;

    SendJob(BrindleLauncher& launcher, std::function<void(const QString&)> out,
            std::function<void(const QString&)> err);

    // `programDir`: the folder quorvel-send is in (the installation is its
    // parent); `readInput` gives standard input when there is no -m.
    int run(const SendOptions& options, const QString& programDir,
            const std::function<QString()>& readInput);

private:
    int fail(const QString& text);
    bool findInstallation(const SendOptions& options, const QString& programDir);
    std::optional<QStringList> recipients(const SendOptions& options);
    std::optional<QString> checkedText(const QString& what, const QString& text);
    // Standard output's lines, unless --quiet.
    void say(const QString& line);
    // Starts Brindle unless a run holds its lock; says why it did not.
    LineHandOver::Start startBrindle();
    int follow(const QStringList& entries, int timeoutSecs);

    BrindleLauncher& m_launcher;
    std::function<void(const QString&)> m_out;
    std::function<void(const QString&)> m_err;
    QString m_appPath;
    std::unique_ptr<LineHandOver> m_line;
    bool m_quiet = false;
};
