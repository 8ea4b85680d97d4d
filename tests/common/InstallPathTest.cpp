#include "common/InstallPath.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(InstallPath, RelativeNamesFindTheFilesWhateverTheirCase) {
    using enum TestInstallation::Contents;
    struct Case {
        TestInstallation::Contents contents;
        QStringList folders;
        QString relative, found;
    } cases[] = {
        {ShippedData, {}, "config\\QuickMsg.Dat", "/Config/QuickMsg.Dat"},
        {ShippedData,
         {},
         "nom\\uk\\Cellnet\\Config\\Brindle.cfg",
         "/NOM/UK/Cellnet/Config/Brindle.cfg"},
        {ShippedData, {}, "\\Config\\BudList.dat", "/Config/BudList.dat"}, // a leading backslash
        // The exact spelling wins over another case.
        {ShippedData, {"Groups", "groups"}, "groups\\a.dat", "/groups/a.dat"},
        {ShippedData, {"Groups", "groups"}, "Groups\\a.dat", "/Groups/a.dat"},
        // Missing components take the layout's spelling...
        {Empty, {}, "nom\\uk\\cellnet\\config\\brindle.in", "/NOM/UK/Cellnet/Config/Brindle.in"},
        {Empty, {}, "groups\\My Friends.dat", "/Groups/My Friends.dat"},
        {Empty, {}, "nommon\\logs\\curnom.dat", "/NOMMon/Logs/CurNOM.dat"},
        // ...but an existing folder keeps its own for new files.
        {Empty, {"config"}, "Config\\QuickMsg.Dat", "/config/QuickMsg.Dat"},
    };
    for (const Case& c : cases) {
        TestInstallation inst(c.contents);
        for (const QString& folder : c.folders)
            QDir().mkpath(inst.root() + "/" + folder);
        EXPECT_EQ(InstallPath::resolve(inst.appPath(), c.relative), inst.root() + c.found)
            << c.relative.toStdString();
    }
}
