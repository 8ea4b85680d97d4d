#include "DemoWalk.h"
#include "InstalledTree.h"

#include "client/shell/ui/MainForm.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

TEST(DemoWalk, ANewUserWalksThroughTheInstalledClient) {
    InstalledTree tree;
    ASSERT_TRUE(tree.ok()) << tree.log().toStdString();
    TestInstallation sandbox(TestInstallation::Contents::Empty); // cwd and settings store
    ScriptedMessageBox boxes;
    DemoWalk walk(tree.root(), sandbox.root() + "/shots");
    ASSERT_TRUE(walk.run()) << walk.error().toStdString();
    // No modem to walk through here: options, About, the connection settings
    // before and after Refresh, the main window; nothing can be sent.
    EXPECT_EQ(walk.screenshots().size(), 5);
    for (const QString& s : walk.screenshots()) {
        const QImage img(s);
        EXPECT_FALSE(img.isNull()) << s.toStdString();
        EXPECT_GT(img.width(), 200);
    }
    // The start-up left its files in the installation.
    EXPECT_TRUE(QFileInfo::exists(tree.root() + "/StartNOM.cfg"));
    EXPECT_TRUE(QFileInfo::exists(tree.root() + "/Groups/Group.dat"));
    EXPECT_EQ(boxes.texts(),
              QStringList{"No port selected. You will not be able to send any SMS messages."});
}
