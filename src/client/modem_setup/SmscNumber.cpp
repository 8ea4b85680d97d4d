#include "client/modem_setup/SmscNumber.h"

#include "common/ExchangeFiles.h"

namespace SmscNumber {

WithNotice<Read> ReadConfigFile(const QString& appPath) {
    QString problem;
    const QStringList lines = ExchangeFiles::readConfig(appPath, problem);
    if (!problem.isEmpty())
        return {{}, Notice{problem, Notice::kWarningTitle, Notice::Mark::Stop}};
    if (lines.size() >= 2 && !lines[1].trimmed().isEmpty())
        return {{lines[1], true}, std::nullopt};
    // Only a file that ends before its fifth line counts as empty; a blank
    // number in a longer file dials nothing without a word.
    if (lines.size() < 5)
        return {{},
                Notice{QStringLiteral("Empty Configuration File : Brindlemod.cfg"),
                       Notice::kWarningTitle, Notice::Mark::Stop}};
    return {{}, std::nullopt};
}

} // namespace SmscNumber
