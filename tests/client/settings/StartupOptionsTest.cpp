#include "client/settings/StartupOptions.h"
#include "client/settings/MoodColours.h"
#include "client/settings/ui/AboutBox.h"
#include "client/settings/ui/SplashWindow.h"
#include "client/settings/ClientSettings.h"
#include "common/Registry.h"
#include "support/TestInstallation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
struct StartupOptionsTest : ::testing::Test {
    void SetUp() override { Registry::CreateRegistryKey(Registry::kSettingsKey); }
    TestInstallation inst;
    ClientSettings settings;
};
} // namespace

TEST_F(StartupOptionsTest, FirstStartShowsDefaultsAndWritesNothing) {
    StartupOptions options(settings);
    const auto shown = options.load();
    EXPECT_FALSE(shown.startInTrayTicked);
    EXPECT_EQ(shown.colourPosition, 0);
    EXPECT_EQ(settings.BackColour, (Colour{153, 153, 204}));
    EXPECT_FALSE(settings.StartInTray);
    EXPECT_EQ(Registry::readSetting("CLSID:0XA7"), "Error");
    EXPECT_EQ(Registry::readSetting("CLSID:0X5A"), "Error");
}

TEST_F(StartupOptionsTest, StoredChoicesAreReadAsLeadingNumbers) {
    struct Case {
        const char* tray;
        const char* colour;
        bool trayBefore;
        bool trayAfter;
        int position;
        Colour colourAfter;
    } cases[] = {
        {"1", "4", false, true, 4, {255, 153, 51}},
        {"0", "5", true, false, 5, {255, 128, 128}},
        {"2", "1", false, false, 1, {255, 255, 128}}, // 2 leaves the tray choice as it was
        {"2", "1", true, true, 1, {255, 255, 128}},
        {" 1x", "6", false, true, -1, {51, 153, 102}}, // 6 has a colour but no list entry
        {"junk", "9", true, false, -1, {153, 153, 204}},
        {"1", "-1", false, true, -1, {153, 153, 204}},
    };
    for (const Case& c : cases) {
        Registry::writeSetting("CLSID:0XA7", c.tray);
        Registry::writeSetting("CLSID:0X5A", c.colour);
        settings.StartInTray = c.trayBefore;
        const auto shown = StartupOptions(settings).load();
        EXPECT_EQ(settings.StartInTray, c.trayAfter) << c.tray;
        EXPECT_EQ(shown.startInTrayTicked, c.trayAfter) << c.tray;
        EXPECT_EQ(shown.colourPosition, c.position) << c.colour;
        EXPECT_EQ(settings.BackColour, c.colourAfter) << c.colour;
    }
}

TEST_F(StartupOptionsTest, ChoosingOrangeStoresFourAndShowsAtTheNextStart) {
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

TEST_F(StartupOptionsTest, StartTakesTheOutlookChoiceAndExitEndsAtOnce) {
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
}

TEST_F(StartupOptionsTest, AboutBoxShowsTitleAndVersion) {
    settings.BackColour = MoodColours::colourAt(2);
    AboutBox about(settings);
    EXPECT_EQ(about.windowTitle(), "About Quorvel");
    EXPECT_EQ(about.lblTitle->text(), "Quorvel");
    EXPECT_EQ(about.lblVersion->text(), "Version 3.0");
    EXPECT_EQ(about.palette().color(QPalette::Window), QColor(102, 153, 204));
}
