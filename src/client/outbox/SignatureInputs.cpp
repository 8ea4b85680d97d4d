#include "client/outbox/SignatureInputs.h"

#include "common/InstallPath.h"
#include "common/LineFile.h"

SignatureInputs SignatureInputs::fromSignLine(const QString& lastLine) {
    if (lastLine.isEmpty())
        return {};
    const QString flag = lastLine.left(6);
    if (flag == kPageIn || flag == kNoPage)
        return {lastLine.mid(6), flag};
    return {lastLine, kPageIn};
}

SignatureInputs SignatureInputs::fromFile(const QString& appPath) {
    return fromSignLine(LineFile::readLast(InstallPath::resolve(appPath, "Config\\Sign.cfg")));
}
