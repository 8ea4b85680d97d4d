#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>

// The files the client and the operator module share, and the hand-over rules
// both keep. Relative names are resolved below the installation directory.
namespace ExchangeFiles {

inline const QString kStateFile = QStringLiteral("StartNOM.cfg");
inline const QString kInbox = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.in");
inline const QString kAccepted = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.out");
inline const QString kCarryOver = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.rcv");
inline const QString kAlive = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.pin");
inline const QString kLock = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.lck");
inline const QString kJournal = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.tkn");
// A mobile network's delivery reports (common/DeliveryReport).
inline const QString kDeliveryReports = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.dlv");
// What delivery reports are matched against (Brindle's alone).
inline const QString kReferences = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.ref");
inline const QString kConfig = QStringLiteral("nom\\uk\\Cellnet\\Config\\Brindle.cfg");
inline const QString kProgram = QStringLiteral("NOM\\UK\\Cellnet\\Brindle");
inline const QString kMonitorLog = QStringLiteral("NOMMon.log");
inline const QString kCurrentNom = QStringLiteral("NOMMon\\Logs\\CurNOM.dat");
inline const QString kCurrentQueue = QStringLiteral("NOMMon\\Logs\\CurNOMQ.dat");
inline const QString kPortFile = QStringLiteral("Config\\Port.cfg");
inline const QString kComPorts = QStringLiteral("Config\\ComPorts.cfg");

// State words of StartNOM.cfg.
inline const QString kStart = QStringLiteral("START");
inline const QString kRequested = QStringLiteral("CEL");
inline const QString kInUse = QStringLiteral("INUSE");
inline const QString kComplete = QStringLiteral("COMPLETE");
inline const QString kCrash = QStringLiteral("CRASH");

QString path(const QString& appPath, const QString& relative);

// Brindle.cfg's lines. The file is edited by hand: a file over 1 MB or a line
// over 4096 characters is no configuration, and is refused (problem says why)
// before it can fill the memory, the log or a dial string.
QStringList readConfig(const QString& appPath, QString& problem);

// An exclusive advisory lock (flock) on the lock file beside the inbox, held
// by the client around its append and by the operator module around its
// read-and-empty, so no entry falls between the two.
class InboxLock {
public:
    explicit InboxLock(const QString& appPath);
    ~InboxLock();
    InboxLock(const InboxLock&) = delete;
    InboxLock& operator=(const InboxLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Appends entries to the inbox under the lock. A missing or empty inbox gets
// its empty placeholder line first, so the first entry is never the line
// that is skipped.
bool appendToInbox(const QString& appPath, const QStringList& entries);
// Creates `file` exclusively holding one empty line when it does not exist.
bool ensureOneEmptyLineFile(const QString& file);
// The bytes of `file` ("" when it is missing or unreadable).
QByteArray readBytes(const QString& file);
// The inbox and the carry-over file are held open and appended to by the
// other program: they are rewritten in place, never replaced, and only under
// the inbox lock. False: the file holds what it held.
// Empties `file` to its one empty line.
bool emptyInPlace(const QString& file);
// Drops the lines `drop` picks (each without its line end), keeping every
// other line byte for byte; a file left with no entry is emptied.
bool dropLinesInPlace(const QString& file, const std::function<bool(QByteArrayView)>& drop);

QString readStateWord(const QString& appPath);
bool writeStateWord(const QString& appPath, const QString& word);

} // namespace ExchangeFiles
