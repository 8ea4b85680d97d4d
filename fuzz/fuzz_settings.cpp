// The settings store (an INI file): every catalogue value reads as a text the
// reader's buffer holds or "Error", numbers as the text begins, and a value
// written reads back as itself.
#include "FuzzSupport.h"
#include "common/Registry.h"
#include "common/Setting.h"
#include "common/Val.h"
#include "nom/BrindleConfig.h"

#include <QDateTime>
#include <QFile>

using Fuzz::check;

namespace {

const Setting::Key kCatalogue[] = {
    Setting::OutDial,     Setting::OutDialOption, Setting::ModemConn,  Setting::ShowOption,
    Setting::ShowOutlook, Setting::StartInTray,   Setting::BackColour, Setting::ContactsDir,
    Setting::ServerUrl,   Setting::UserId,        Setting::UserMobile, Setting::UserEmail};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::Input in(data, size);
    const QString written = QString::fromUtf8(in.take(in.byte()));
    const QByteArray ini = in.rest();
    // The store's reader caches a file by name, size and time: each input
    // gets a time of its own.
    static qint64 n = 0;
    const QString path = Fuzz::scratch() + "registry.ini";
    Fuzz::writeFile(path, ini);
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    f.setFileTime(QDateTime::fromSecsSinceEpoch(1000000000 + ++n),
                  QFileDevice::FileModificationTime);
    f.close();

    for (const Setting::Key& key : kCatalogue) {
        const QString v = Setting::read(key);
        check(v == Registry::kError || v.size() < 255, "value longer than the buffer", v);
        check(Setting::readNumber(key, -7) == (v == Registry::kError ? -7 : leadingNumber(v)),
              "number of a value", v);
    }
    BrindleConfig c;
    c.smscNumber = "0123";
    c.readOutsideLine();
    check(c.outsideLineOption != 1 || c.outsideLinePrefix == -1 ||
              c.dialString() == QString::number(c.outsideLinePrefix) + ",0123",
          "dial string", c.dialString());
    // Both are stored when missing, so they read now.
    check(Setting::read(Setting::OutDial) != Registry::kError &&
              Setting::read(Setting::OutDialOption) != Registry::kError,
          "outside-line defaults not stored");

    Registry::CreateRegistryKey(QString::fromLatin1(Registry::kSettingsKey));
    Setting::write(Setting::UserEmail, written);
    if (written.size() < 255)
        check(Setting::read(Setting::UserEmail) == written, "value does not read back", written);
    return 0;
}
