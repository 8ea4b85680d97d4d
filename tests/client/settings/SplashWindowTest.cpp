#include "client/settings/ui/SplashWindow.h"
#include "client/settings/ClientSettings.h"
#include "client/settings/MoodColours.h"
#include "client/settings/ui/AboutBox.h"
#include "common/Registry.h"
#include "support/TestInstallation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
struct SplashWindowTest : ::testing::Test {
    void SetUp() override { Registry::CreateRegistryKey(Registry::kSettingsKey); }
    TestInstallation inst;
    ClientSettings settings;
};
} // namespace

TEST_F(SplashWindowTest, ChoosingOrangeStoresFourAndShowsAtTheNextStart) {
    {
        SplashWindow splash(settings);
        splash.cmbBackColor->setCurrentIndex(4);
        emit splash.cmbBackColor->activated(4);
        splash.chkMinOnStartup->click();
    }
    EXPECT_EQ(Registry::readSetting("CLSID:0X5A"), "4");
    EXPECT_EQ(Registry::readSetting("CLSID:0XA7"), "1");
    ClientSettings next;
    SplashWindow again(next);
    EXPECT_EQ(again.cmbBackColor->currentText(), "Orange");
    EXPECT_TRUE(again.chkMinOnStartup->isChecked());
    EXPECT_EQ(next.BackColour, (Colour{255, 153, 51}));
    EXPECT_TRUE(next.StartInTray);
}

TEST_F(SplashWindowTest, StartTakesTheOutlookChoiceExitEndsAtOnceAndAboutShowsTheVersion) {
    SplashWindow splash(settings);
    EXPECT_EQ(splash.outlookCheck->text(), "Enable");
    EXPECT_FALSE(splash.outlookCheck->isChecked());
    EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), "Version 3.0");
    EXPECT_EQ(splash.findChild<QLabel*>("Label2")->text(),
              QString("Microsoft Outlook") + QChar(174) + " Compatible");
    splash.outlookCheck->setChecked(true);
    splash.Command2->click();
    EXPECT_TRUE(settings.OutlookEnabled);
    EXPECT_FALSE(splash.exitRequested());

    SplashWindow other(settings);
    other.cmdExit->click();
    EXPECT_TRUE(other.exitRequested());

    settings.BackColour = MoodColours::colourAt(2);
    AboutBox about(settings);
    EXPECT_EQ(about.windowTitle(), "About Quorvel");
    EXPECT_EQ(about.lblTitle->text(), "Quorvel");
    EXPECT_EQ(about.lblVersion->text(), "Version 3.0");
    EXPECT_EQ(about.palette().color(QPalette::Window), QColor(102, 153, 204));
}
