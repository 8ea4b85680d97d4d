#include "common/Registry.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

// Any value reading back as written is fuzz_settings' property; here the key
// rules, the reader's buffer and a hand-edited store.
TEST(Registry, ValuesReadBackOnlyFromTheirOwnExistingKey) {
    TestInstallation inst;
    const QString kKey = Registry::kSettingsKey;
    EXPECT_EQ(Registry::ReadRegistryValue(kKey, "SHOW_OPTION"), "Error");
    Registry::WriteRegistryValue(kKey, "SHOW_OPTION", "1");
    EXPECT_EQ(Registry::ReadRegistryValue(kKey, "SHOW_OPTION"), "Error")
        << "a write never creates the key";
    Registry::CreateRegistryKey(kKey);
    EXPECT_EQ(Registry::ReadRegistryValue(kKey, "SHOW_OPTION"), "Error");
    for (const QString& v : {QString(" 12 "), QString(""), QString(254, 'x'), QString(255, 'x')}) {
        Registry::WriteRegistryValue(kKey, "CLSID:0XA7", v);
        EXPECT_EQ(Registry::ReadRegistryValue(kKey, "CLSID:0XA7"), v.size() < 255 ? v : "Error");
    }
    const QString other = "HKEY_CURRENT_USER\\SOFTWARE\\Other";
    Registry::CreateRegistryKey(other);
    Registry::WriteRegistryValue(other, "OUT_DIAL", "9");
    EXPECT_EQ(Registry::ReadRegistryValue(kKey, "OUT_DIAL"), "Error");
    EXPECT_EQ(Registry::ReadRegistryValue(other, "OUT_DIAL"), "9");
    EXPECT_EQ(Registry::ReadRegistryValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Nothing", "x"), "Error");
    // A damaged line elsewhere hides no value, on any read; a comma makes no list.
    inst.writeBytes("registry.ini",
                    "[HKEY_LOCAL_MACHINE/SOFTWARE/Microsoft/Windows/CurrentVersion/ClassID]\n"
                    ".key=\nOUT_DIAL=9,1\n[damaged\n");
    for (int read = 0; read < 2; ++read)
        EXPECT_EQ(Registry::ReadRegistryValue(kKey, "OUT_DIAL"), "9,1") << "read " << read;
}

TEST(Registry, RootNamesAndBadPaths) {
    TestInstallation inst;
    ScriptedMessageBox boxes;
    QString p = "HKEY_LOCAL_MACHINE";
    EXPECT_EQ(Registry::SplitKeyPath(p), 0x80000002u);
    EXPECT_EQ(p, "");
    p = "HKEY_USERS\\a\\b";
    EXPECT_EQ(Registry::SplitKeyPath(p), 0x80000003u);
    EXPECT_EQ(p, "a\\b");
    EXPECT_EQ(Registry::ReadRegistryValue("HKEY_NOWHERE\\x", "v"), "")
        << "an unknown root gives an empty result";
    EXPECT_TRUE(boxes.shown().isEmpty());

    EXPECT_EQ(Registry::ReadRegistryValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\", "v"), "");
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Incorrect Format:\n\nHKEY_LOCAL_MACHINE\\SOFTWARE\\");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::None);
    EXPECT_EQ(boxes.last().buttons, MessageBox::Buttons::Ok);
    Registry::WriteRegistryValue("SOFTWARE\\x", "v", "1");
    EXPECT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.last().text, "Incorrect Format:\n\nSOFTWARE\\x");
}
