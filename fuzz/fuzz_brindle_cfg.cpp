// Brindle.cfg: positional lines, then optional "Name=value" lines. What is
// read stays in its bounds, and the settings read are written and read back alike.
#include "FuzzSupport.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "common/Win1252.h"
#include "nom/BrindleConfig.h"
#include "nom/StatusLog.h"

#include <QFile>

using Fuzz::check;

namespace {

const char* const kTuningNames[] = {"FirstTickMs",     "ResetPauseMs",       "LogonPauseMs",
                                    "AcceptPauseMs",   "RenewPauseBeforeMs", "RenewPauseAfterMs",
                                    "MessagesPerLogon"};

QList<int> values(const BrindleConfig::Tuning& t) {
    return {t.firstTickMs,        t.resetPauseMs,      t.logonPauseMs,    t.acceptPauseMs,
            t.renewPauseBeforeMs, t.renewPauseAfterMs, t.messagesPerLogon};
}

BrindleConfig read(const QString& app, const QStringList& lines) {
    QFile::remove(ExchangeFiles::path(app, "SMSC.log"));
    LineFile::rewrite(ExchangeFiles::path(app, ExchangeFiles::kConfig), lines, false);
    BrindleConfig c;
    c.appPath = app;
    StatusLog status;
    c.ReadConfigFile(status);
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString app = Fuzz::scratch() + "install/";
    QStringList lines =
        LineFile::decodeLines(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    // The log goes where line 12 says: keep it in the scratch folder.
    if (lines.size() >= 12)
        lines[11] = "SMSC.log";
    const BrindleConfig c = read(app, lines);
    const QString text = lines.join('\n');

    check(c.linesRead == lines.size(), "lines counted", text);
    check(lines.size() >= 5 || c.problems() == QStringList{BrindleConfig::kEmptyConfig},
          "short file not refused", text);
    const QList<int> tuning = values(c.tuning);
    for (int i = 0; i < tuning.size(); ++i)
        check(tuning[i] >= 0 && tuning[i] <= BrindleConfig::Tuning::kMaxPauseMs,
              "pause out of bounds", text);
    check(c.tuning.messagesPerLogon >= 1 &&
              c.tuning.messagesPerLogon <= BrindleConfig::Tuning::kMaxMessagesPerLogon,
          "messages per log-on out of bounds", text);
    if (const auto line = c.lineSettings())
        check(line->baud > 0 && line->dataBits >= 5 && line->dataBits <= 8, "line settings", text);
    check(c.retries >= 0 && c.pingBase >= 0, "negative count", text);

    // Written back as this program writes it, it reads the same.
    if (lines.size() < 24)
        return 0;
    QStringList again = lines.mid(0, 24);
    for (int i = 0; i < tuning.size(); ++i)
        again << QStringLiteral("%1=%2").arg(kTuningNames[i]).arg(tuning[i]);
    const BrindleConfig d = read(app, again);
    check(d.tuning == c.tuning, "tuning does not read back", text);
    check(d.smscNumber == c.smscNumber && d.lineSpeed == c.lineSpeed && d.retries == c.retries &&
              d.pingBase == c.pingBase && d.problems() == c.problems(),
          "settings do not read back", text);
    return 0;
}
