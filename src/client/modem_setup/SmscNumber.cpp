#include "client/modem_setup/SmscNumber.h"

#include "common/ExchangeFiles.h"
#include "common/MessageBox.h"

namespace SmscNumber {

Read ReadConfigFile(const QString& appPath) {
    QString problem;
    const QStringList lines = ExchangeFiles::readConfig(appPath, problem);
    if (!problem.isEmpty()) {
        MessageBox::show(problem, kQuorvelWarning, MessageBox::Icon::Critical);
        return {};
    }
    if (lines.size() >= 2 && !lines[1].trimmed().isEmpty())
        return {lines[1], true};
    // Only a file that ends before its fifth line counts as empty; a blank
    // number in a longer file dials nothing without a word.
    if (lines.size() < 5)
        MessageBox::show(QStringLiteral("Empty Configuration File : Brindlemod.cfg"),
                         kQuorvelWarning, MessageBox::Icon::Critical);
    return {};
}

} // namespace SmscNumber
