#include "client/settings/ClientSettings.h"
#include "client/settings/MoodColours.h"
#include "client/settings/ui/AboutBox.h"
#include "client/settings/ui/SplashWindow.h"
#include "common/Registry.h"
#include "support/TestInstallation.h"
#include "support/WidgetTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
struct OptionsWindowTest : ::testing::Test {
    void SetUp() override { Registry::CreateRegistryKey(Registry::kSettingsKey); }
    TestInstallation inst;
    ClientSettings settings;
};
} // namespace

// Choices are stored as made and shown at the next start; Start takes the
// Outlook choice, Exit ends at once.
TEST_F(OptionsWindowTest, TheOptionsWindowStoresItsChoicesAndAboutShowsTheVersion) {
    {
        SplashWindow splash(settings);
        auto* outlook = splash.findChild<QCheckBox*>("outlookCheck");
        EXPECT_EQ(outlook->text(), "Enable");
        EXPECT_FALSE(outlook->isChecked());
        EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), "Version 3.0");
        EXPECT_EQ(splash.findChild<QLabel*>("Label2")->text(),
                  QString("Microsoft Outlook") + QChar(174) + " Compatible");
        auto* mood = splash.findChild<QComboBox*>("cmbBackColor");
        mood->setCurrentIndex(4);
        emit mood->activated(4);
        toggleAccessibly(splash.findChild<QCheckBox*>("chkMinOnStartup"));
        outlook->setChecked(true);
        splash.findChild<QPushButton*>("Command2")->click();
        EXPECT_TRUE(settings.OutlookEnabled);
        EXPECT_FALSE(splash.exitRequested());
    }
    EXPECT_EQ(Registry::readSetting("CLSID:0X5A"), "4");
    EXPECT_EQ(Registry::readSetting("CLSID:0XA7"), "1");
    ClientSettings next;
    SplashWindow again(next);
    EXPECT_EQ(again.findChild<QComboBox*>("cmbBackColor")->currentText(), "Orange");
    EXPECT_TRUE(again.findChild<QCheckBox*>("chkMinOnStartup")->isChecked());
    again.findChild<QPushButton*>("cmdExit")->click();
    EXPECT_TRUE(again.exitRequested());

    settings.BackColour = MoodColours::colourAt(2);
    AboutBox about(settings);
    EXPECT_EQ(QStringList({about.windowTitle(), about.findChild<QLabel*>("lblTitle")->text(),
                           about.findChild<QLabel*>("lblVersion")->text()}),
              QStringList({"About Quorvel", "Quorvel", "Version 3.0"}));
    EXPECT_EQ(about.palette().color(QPalette::Window), QColor(102, 153, 204));
}
