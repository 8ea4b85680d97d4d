#include "common/Registry.h"

#include <QCoreApplication>
#include <QTextStream>

// Reads or writes one value of the settings store, as the programs do:
//   quorvel-setting NAME          prints the value ("Error" when unreadable)
//   quorvel-setting NAME VALUE    creates the key when missing and stores VALUE
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 2) {
        QTextStream(stdout) << Registry::readSetting(args[1]) << "\n";
        return 0;
    }
    if (args.size() == 3) {
        Registry::CreateRegistryKey(Registry::kSettingsKey);
        Registry::writeSetting(args[1], args[2]);
        return Registry::readSetting(args[1]) == args[2] ? 0 : 1;
    }
    QTextStream(stderr) << "usage: quorvel-setting NAME [VALUE]\n";
    return 2;
}
