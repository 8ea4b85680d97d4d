// What the outside-line box takes, and what Test Modem says of a mobile modem.
#include "client/modem_setup/ModemTester.h"
#include "client/modem_setup/OutsideLine.h"

#include <gtest/gtest.h>

// The dial strings are in the Test Modem table.
TEST(OutsideLine, KeysAndNumbers) {
    for (int key = 0; key < 256; ++key)
        EXPECT_EQ(OutsideLine::acceptsKey(key), (key >= '0' && key <= '9') || key == 8) << key;
    const std::pair<QString, int> numbers[] = {{" 12 ", 12}, {"", -1},         {"ab", -1},
                                               {"7x", 7},    {"32767", 32767}, {"32768", -1}};
    for (const auto& [text, n] : numbers)
        EXPECT_EQ(OutsideLine::numberIn(text), n) << text.toStdString();
}

TEST(MobileModemTest, TestModemTellsWhatModemManagerSays) {
    const auto modem = [](int state, unsigned registration, const QString& network) {
        MobileModem m;
        m.state = state;
        m.registration = registration;
        m.operatorName = network;
        m.signalQuality = 80;
        return std::optional<MobileModem>(m);
    };
    const std::pair<std::optional<MobileModem>, QString> cases[] = {
        {modem(8, 1, "Simnet"), "ok|Modem Test Successful|Mobile modem on Simnet, signal 80 %."},
        {modem(6, 5, " "), "ok|Modem Test Successful|Mobile modem registered, signal 80 %."},
        {modem(2, 0, "Simnet"), "|Modem Test Failed|Mobile modem SIM is locked. Please unlock it "
                                "with its PIN and test again."},
        {modem(7, 0, "Simnet"), "|Modem Test Failed|Mobile modem is not registered on a network. "
                                "Please check the SIM card and the signal."},
        {modem(3, 1, "Simnet"),
         "|Modem Test Failed|Mobile modem is disabled. Please enable it and test again."},
        {modem(-1, 1, "Simnet"), "|Modem Test Failed|Mobile modem cannot be used now. Please wait "
                                 "until it is ready and test again."},
        {std::nullopt, "|Modem Test Failed|Mobile modem not found. Please check that it is "
                       "plugged in and test again."},
    };
    for (const auto& [m, text] : cases) {
        const ModemTester::MobileVerdict v = ModemTester::mobileVerdict(m);
        EXPECT_EQ((v.ready ? "ok|" : "|") + v.headline + '|' + v.explanation, text);
    }
}
