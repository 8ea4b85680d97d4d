#include "send/SendJob.h"

#include "client/composition/CharacterRules.h"
#include "client/composition/MessageEditor.h"
#include "client/outbox/MessageAssembler.h"
#include "client/outbox/MessageIdCounter.h"
#include "client/outbox/MessageLists.h"
#include "client/outbox/OutboxEntry.h"
#include "client/outbox/SignatureInputs.h"
#include "common/AppPath.h"
#include "common/Clock.h"
#include "common/ExchangeFiles.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

QString shown(const QString& appPath, const QString& relative) {
    return QDir::toNativeSeparators(InstallPath::resolve(appPath, relative));
}

} // namespace

SendJob::SendJob(BrindleLauncher& launcher, std::function<void(const QString&)> out,
                 std::function<void(const QString&)> err)
    : m_launcher(launcher), m_out(std::move(out)), m_err(std::move(err)) {}

int SendJob::fail(const QString& text) {
    m_err("quorvel-send: " + text);
    return Failed;
}

bool SendJob::findInstallation(const SendOptions& options, const QString& programDir) {
    // Installed in bin/ below the installation.
    const QString root =
        QFileInfo(options.root.isEmpty() ? AppPath::installation(programDir + QStringLiteral("/.."))
                                         : options.root)
            .absoluteFilePath();
    m_appPath = AppPath::withSeparator(root);
    m_line = std::make_unique<LineHandOver>(m_appPath, m_launcher);
    return m_line->isInstallation();
}

std::optional<QStringList> SendJob::recipients(const SendOptions& options) {
    QStringList given = options.numbers;
    QString error;
    if (!options.csvFile.isEmpty()) {
        const auto fromFile = SendNumbers::fromCsv(options.csvFile, error);
        if (!fromFile) {
            fail(error);
            return std::nullopt;
        }
        given << *fromFile;
    }
    QStringList numbers;
    for (const QString& n : given) {
        const auto number = SendNumbers::international(n, options.country, error);
        if (!number) {
            fail(error);
            return std::nullopt;
        }
        numbers << *number;
    }
    return numbers;
}

std::optional<QString> SendJob::checkedText(const QString& what, const QString& text) {
    // The message box's own rules: what it would refuse or drop, a script
    // cannot send either; nor a control character, which would end a
    // protocol block early.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7F;
        if (!control && CharacterRules::typed(c) == CharacterRules::Verdict::Accept)
            continue;
        if (control) {
            fail("The " + what + " holds the control character " +
                 QString::asprintf("U+%04X", c.unicode()) + ", which Quorvel does not send.");
            return std::nullopt;
        }
        // A character beyond the basic plane is shown whole, not as half a pair.
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        fail("The " + what + " holds \"" + text.mid(i, pair ? 2 : 1) +
             "\", which Quorvel does not send " +
             (CharacterRules::isNonAscii(c) ? "(ASCII characters and the pound sign only)."
                                            : "(barred: # [ \\ ] ^ { | } ~)."));
        return std::nullopt;
    }
    return text;
}

void SendJob::say(const QString& line) {
    if (!m_quiet)
        m_out(line);
}

int SendJob::run(const SendOptions& options, const QString& programDir,
                 const std::function<QString()>& readInput) {
    m_quiet = options.quiet;
    if (!findInstallation(options, programDir))
        return fail("No Quorvel installation in " + QDir::toNativeSeparators(m_appPath) +
                    " (give its folder with --root DIR).");
    // A dry run dials nothing.
    if (!options.dryRun && !m_line->portConfigured())
        return fail("No serial port is configured for the modem (" +
                    shown(m_appPath, ExchangeFiles::kPortFile) +
                    " is 0 or empty): choose one in Quorvel's connection settings.");
    const auto numbers = recipients(options);
    if (!numbers)
        return Failed;

    QString input = options.message ? *options.message : readInput();
    // The line end a pipe gives its last line is no part of the message.
    while (!options.message && (input.endsWith('\n') || input.endsWith('\r')))
        input.chop(1);
    const auto subject = checkedText("subject", MessageAssembler::flattened(options.subject));
    const auto message = checkedText("message", MessageAssembler::flattened(input));
    if (!subject || !message)
        return Failed;
    if (subject->size() > MessageEditor::SubjectLimit)
        return fail(MessageEditor::kSubjectTooLong);
    if (MessageAssembler::nothingToSend(*subject, *message))
        return fail("No message text: give -m TEXT or pipe it in.");

    MessageAssembler::Input in;
    in.subject = *subject;
    in.message = *message;
    in.signature = SignatureInputs::fromFile(m_appPath);
    in.signatureOn = !options.noSignature;
    in.numberListCount = int(numbers->size());
    in.checkedEntries = *numbers;
    const auto plan = MessageAssembler::planImmediate(in);
    if (plan.refusal)
        return fail(plan.refusal->text.trimmed() +
                    QStringLiteral(" (more than %1 parts).").arg(MessageAssembler::kMaxParts));

    const auto made = [&plan](qint64 first) {
        const QDateTime now = Clock::instance().now();
        QStringList entries;
        for (int r = 0; r < plan.numbers.size(); ++r)
            for (int k = 0; k < plan.pieces.size(); ++k)
                entries << plan.entry(first++, r, k, now);
        return entries;
    };
    if (options.dryRun) {
        for (const QString& e : made(m_line->nextId()))
            say(e);
        return Sent;
    }

    const QString inbox = ExchangeFiles::path(m_appPath, ExchangeFiles::kInbox);
    const QFileInfo inboxInfo(inbox);
    if (inboxInfo.exists() ? !inboxInfo.isWritable() || !inboxInfo.isFile()
                           : !QFileInfo(inboxInfo.absolutePath()).isWritable())
        return fail("Cannot write the operator module's inbox " + QDir::toNativeSeparators(inbox) +
                    ".");
    const auto first = m_line->reserveIds(plan.entryCount());
    if (!first)
        return fail(MessageIdCounter::kNotWritten);
    const QStringList entries = made(*first);
    if (!m_line->append(entries))
        return fail("Cannot write the operator module's inbox " + QDir::toNativeSeparators(inbox) +
                    "; nothing was queued.");
    for (const QString& e : entries)
        say("Queued: " + e);

    const LineHandOver::Start started = startBrindle();
    if (started == LineHandOver::Start::EndedAtOnce)
        return CouldNotStart;
    if (started == LineHandOver::Start::NotStarted && !options.wait)
        m_err("quorvel-send: the entries stay queued until the operator module runs.");
    return options.wait ? follow(entries, options.timeoutSecs) : Sent;
}

LineHandOver::Start SendJob::startBrindle() {
    QString problem;
    const LineHandOver::Start started = m_line->startRun(&problem);
    if (started == LineHandOver::Start::EndedAtOnce)
        m_err("quorvel-send: " + problem + "; the entries stay in Brindle.in for the next run");
    else if (started == LineHandOver::Start::NotStarted)
        m_err("quorvel-send: " + problem);
    return started;
}

int SendJob::follow(const QStringList& entries, int timeoutSecs) {
    Clock& clock = Clock::instance();
    const qint64 deadline = clock.monotonicMs() + qint64(timeoutSecs) * 1000;
    const QString acceptedList = InstallPath::resolve(m_appPath, MessageLists::kAcceptedFile);
    QStringList pending = entries;
    QSet<QString> carried;
    qint64 nextStart = clock.monotonicMs() + kRestartMs;

    const auto take = [&] {
        LineHandOver::Seen seen = m_line->look();
        for (auto it = pending.begin(); it != pending.end();) {
            const QString key = LineHandOver::key(*it);
            if (seen.accepted.contains(key)) {
                // One line per write, as the client records its own, so the
                // two never interleave.
                LineFile::append(acceptedList, OutboxEntry::kAccepted + *it);
                say(OutboxEntry::kAccepted + *it);
                carried.remove(key);
                it = pending.erase(it);
                continue;
            }
            if (seen.carried.contains(key) && !carried.contains(key)) {
                carried.insert(key);
                say("Carried over to Brindle.rcv: " + *it);
            }
            ++it;
        }
        return seen;
    };

    for (;;) {
        take();
        if (pending.isEmpty())
            return Sent;
        if (qsizetype(carried.size()) == pending.size()) {
            m_err(QStringLiteral("quorvel-send: the run failed; %1 of the entries wait in "
                                 "Brindle.rcv for the next run.")
                      .arg(carried.size()));
            return CarriedOver;
        }
        bool restart = false;
        if (!m_line->running()) {
            // No run, and none can start while the start lock is held: the
            // files stand still, so an entry in none of them was rejected.
            const LineHandOver::StartLock startLock =
                m_line->lockStart(FileLocks::FileLock::Mode::Try);
            if (startLock.held() && !m_line->running()) {
                const QSet<QString> queued = take().queued;
                QStringList rejected;
                bool waiting = false;
                for (const QString& e : pending) {
                    const QString key = LineHandOver::key(e);
                    if (queued.contains(key))
                        waiting = true;
                    else if (!carried.contains(key))
                        rejected << e;
                }
                if (!rejected.isEmpty()) {
                    // An error, which --quiet does not hide.
                    for (const QString& e : rejected)
                        (m_quiet ? m_err : m_out)("Rejected by the message centre: " + e);
                    return Rejected;
                }
                // Appended just as the last run ended, or left by a run
                // that was killed: another run sends them.
                restart = waiting && clock.monotonicMs() >= nextStart;
            }
        }
        if (restart) {
            nextStart = clock.monotonicMs() + kRestartMs;
            if (startBrindle() == LineHandOver::Start::EndedAtOnce)
                return CouldNotStart;
        }
        if (clock.monotonicMs() >= deadline) {
            m_err(QStringLiteral("quorvel-send: timed out after %1 s; %2 of the entries stay "
                                 "queued.")
                      .arg(timeoutSecs)
                      .arg(pending.size()));
            return TimedOut;
        }
        clock.waitMs(kPollMs);
    }
}
