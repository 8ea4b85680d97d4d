#include "common/InstallPath.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

namespace {

const QHash<QString, QString>& layoutSpellings() {
    // Lower-case relative path -> the spelling of the installation layout.
    static const QHash<QString, QString> table = [] {
        const QStringList names = {"Config",
                                   "Groups",
                                   "NOM",
                                   "NOM/UK",
                                   "NOM/UK/Cellnet",
                                   "NOM/UK/Cellnet/Config",
                                   "NOMMon",
                                   "NOMMon/Logs",
                                   "Config/Sign.cfg",
                                   "Config/QuickMsg.Dat",
                                   "Config/BudList.dat",
                                   "Config/SpeedNos.dat",
                                   "Config/ISDCodes.dat",
                                   "Config/Port.cfg",
                                   "Config/ComPorts.cfg",
                                   "Config/MsgID.dat",
                                   "Config/AccpMsgs.dat",
                                   "Config/ScdMsgs.rcv",
                                   "Groups/Group.dat",
                                   "Groups/OutlookContact.dat",
                                   "NOM/UK/Cellnet/Config/Brindle.cfg",
                                   "NOM/UK/Cellnet/Config/Brindle.in",
                                   "NOM/UK/Cellnet/Config/Brindle.out",
                                   "NOM/UK/Cellnet/Config/Brindle.pin",
                                   "NOM/UK/Cellnet/Config/Brindle.rcv",
                                   "NOM/UK/Cellnet/Config/Brindle.lck",
                                   "NOM/UK/Cellnet/Config/Brindle.tkn",
                                   "NOM/UK/Cellnet/Brindle",
                                   "NOMMon/Logs/CurNOM.dat",
                                   "NOMMon/Logs/CurNOMQ.dat",
                                   "StartNOM.cfg",
                                   "NOMMon.log"};
        QHash<QString, QString> t;
        for (const QString& n : names)
            t.insert(n.toLower(), n);
        return t;
    }();
    return table;
}

QStringList components(const QString& relative) {
    QString r = relative;
    r.replace('\\', '/');
    return r.split('/', Qt::SkipEmptyParts);
}

} // namespace

QString InstallPath::canonical(const QString& relative) {
    const QStringList parts = components(relative);
    QStringList out;
    for (int i = 0; i < parts.size(); ++i) {
        const QString prefix = (out + QStringList{parts[i]}).join('/').toLower();
        const auto it = layoutSpellings().constFind(prefix);
        out << (it != layoutSpellings().constEnd() ? it->section('/', -1) : parts[i]);
    }
    return out.join('/');
}

QString InstallPath::resolve(const QString& appPath, const QString& relative) {
    QString base = appPath;
    base.replace('\\', '/');
    while (base.size() > 1 && base.endsWith('/'))
        base.chop(1);
    const QStringList parts = components(relative);
    QString current = base;
    QStringList spelled;
    bool exists = QFileInfo(base).isDir();
    for (const QString& part : parts) {
        QString chosen;
        if (exists) {
            if (QFileInfo::exists(current + '/' + part)) {
                chosen = part;
            } else {
                const QStringList entries = QDir(current).entryList(
                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
                for (const QString& e : entries) {
                    if (e.compare(part, Qt::CaseInsensitive) == 0) {
                        chosen = e;
                        break;
                    }
                }
            }
        }
        if (chosen.isEmpty()) {
            exists = false;
            chosen = canonical((spelled + QStringList{part}).join('/')).section('/', -1);
        }
        spelled << chosen;
        current += '/' + chosen;
    }
    return current;
}
