#include "client/settings/ClientSettings.h"
#include "client/settings/StartupOptions.h"
#include "common/Registry.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

namespace {
struct SettingsTest : ::testing::Test {
    void SetUp() override { Registry::CreateRegistryKey(Registry::kSettingsKey); }
    TestInstallation inst;
    ClientSettings settings;
};
} // namespace

TEST_F(SettingsTest, StoredStartupChoicesAreReadAsLeadingNumbers) {
    struct Case {
        const char* tray;
        const char* colour;
        bool trayBefore;
        bool trayAfter;
        int position;
        Colour colourAfter;
    } cases[] = {
        {nullptr, nullptr, false, false, 0, {153, 153, 204}}, // first start: nothing stored
        {"1", "4", false, true, 4, {255, 153, 51}},
        {"0", "5", true, false, 5, {255, 128, 128}},
        {"2", "1", false, false, 1, {255, 255, 128}}, // 2 leaves the tray choice as it was
        {"2", "1", true, true, 1, {255, 255, 128}},
        {" 1x", "6", false, true, -1, {51, 153, 102}}, // 6 has a colour but no list entry
        {"junk", "9", true, false, -1, {153, 153, 204}},
        {"1", "-1", false, true, -1, {153, 153, 204}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tray ? std::string(c.tray) + "/" + c.colour : "unset");
        if (c.tray) {
            Registry::writeSetting("CLSID:0XA7", c.tray);
            Registry::writeSetting("CLSID:0X5A", c.colour);
        }
        settings.StartInTray = c.trayBefore;
        const auto shown = StartupOptions(settings).load();
        if (!c.tray) { // and the load writes nothing
            EXPECT_EQ(Registry::readSetting("CLSID:0XA7") + Registry::readSetting("CLSID:0X5A"),
                      "ErrorError");
        }
        EXPECT_EQ(settings.StartInTray, c.trayAfter);
        EXPECT_EQ(shown.startInTrayTicked, c.trayAfter);
        EXPECT_EQ(shown.colourPosition, c.position);
        EXPECT_EQ(settings.BackColour, c.colourAfter);
    }
}

TEST_F(SettingsTest, DefaultsAreStoredOnceAndNeverOverwrittenAndNeedNoStore) {
    ClientSettings s = ClientSettings::loadWithDefaults();
    EXPECT_EQ(
        QStringList({Registry::readSetting("OUT_DIAL"), Registry::readSetting("MODEM_CONN"),
                     Registry::readSetting("OUT_DIAL_OPTION"), Registry::readSetting("SHOW_OPTION"),
                     Registry::readSetting("SHOW_OUTLOOK")}),
        QStringList({"-1", "2", "0", "0", "0"}));
    EXPECT_EQ(Registry::readSetting("CLSID:0XA7"), "Error") << "no default for the tray choice";
    EXPECT_EQ(s.connection, ConnectionType::NotChosen);

    Registry::writeSetting("OUT_DIAL", " 9 ");
    for (auto [stored, type] :
         {std::pair{"0", ConnectionType::Modem}, std::pair{" 1", ConnectionType::Internet},
          std::pair{"-1", ConnectionType::InternetChosenNow},
          std::pair{"7", ConnectionType::NotChosen}, std::pair{"x", ConnectionType::Modem}}) {
        Registry::writeSetting("MODEM_CONN", stored);
        s = ClientSettings::loadWithDefaults();
        EXPECT_EQ(Registry::readSetting("MODEM_CONN"), stored);
        EXPECT_EQ(s.connection, type) << stored;
    }
    EXPECT_EQ(Registry::readSetting("OUT_DIAL"), " 9 ");
    // An unwritable store still gives the defaults.
    qputenv("QUORVEL_REGISTRY", "/proc/no/such/registry.ini");
    EXPECT_EQ(ClientSettings::loadWithDefaults().connection, ConnectionType::NotChosen);
}
