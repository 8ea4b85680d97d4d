// The walk's mobile modem: chosen in the connection settings, sent through,
// and its delivery report shown in the accepted messages view.
#include "DemoWalk.h"

#include "client/modem_setup/ui/frmModemDetected.h"
#include "client/shell/ui/MainForm.h"
#include "common/DeliveryReport.h"
#include "common/ExchangeFiles.h"
#include "common/Installation.h"
#include "common/LineFile.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <algorithm>

bool DemoWalk::setUpMobileModem(int timeoutMs) {
    return reconfigure(
        [this](frmModemDetected& d) {
            const auto button = [&d]<typename W = QPushButton>(const char* name) {
                return d.findChild<W*>(QString::fromLatin1(name));
            };
            if (!button.operator()<QRadioButton>("optModem")->isChecked())
                button.operator()<QRadioButton>("optModem")->click();
            button("butRefresh")->click();
            QRadioButton* com2 = button.operator()<QRadioButton>("Option1_2");
            const QStringList ports =
                LineFile::readAll(mainForm()->installation().file("Config\\ComPorts.cfg"));
            if (ports.size() < 2 || !ports[1].startsWith("mm:") || !com2->isEnabled())
                return fail("Refresh found no mobile modem for COM 2");
            com2->click();
            button("Command2")->click();
            m_mobileSeen = {com2->toolTip(), button.operator()<QLabel>("Label3")->text()};
            shot(&d, "22-mobile-modem-tested");
            if (button.operator()<QLabel>("Label2")->text() !=
                QLatin1String("Modem Test Successful"))
                return fail("the mobile modem's test failed: " + m_mobileSeen[1]);
            button("Command1")->click();
            return !d.isVisible() || fail("OK left the connection settings open");
        },
        timeoutMs);
}

bool DemoWalk::showDelivered(const QStringList& entries, int timeoutMs) {
    QStringList keys;
    for (const QString& e : entries)
        keys << e.left(e.indexOf(']') + 1);
    const QString reports = mainForm()->installation().file(ExchangeFiles::kDeliveryReports);
    const bool reported = waitFor(
        [&] {
            QStringList seen;
            for (const QString& line : LineFile::readAll(reports))
                if (const auto report = DeliveryReport::parse(line))
                    seen << report->key;
            return std::ranges::all_of(keys, [&](const QString& k) { return seen.contains(k); });
        },
        timeoutMs);
    if (!reported)
        return fail("no delivery report came in time for " + keys.join(' '));
    if (!showAcceptedMessages({}, "23-mobile-delivered"))
        return false;
    static const QRegularExpression delivered(R"( \(delivered \d\d/\d\d/\d{4} \d\d:\d\d\)$)");
    for (const QString& e : entries)
        if (std::ranges::none_of(m_acceptedShown, [&](const QString& shown) {
                return shown.contains(e) && delivered.match(shown).hasMatch();
            }))
            return fail("the accepted messages view does not show as delivered: " + e);
    return true;
}

bool DemoWalk::walkMobileModem() {
    if (!setUpMobileModem(30000) || !addRecipient("Mobile User", "07700900789") ||
        !composeAndSend("Mobile", "Hello from Quorvel. This one went through a mobile modem."))
        return false;
    const Controls c = controls();
    QStringList sent;
    for (int i = 0; i < c.outbox->count(); ++i)
        sent << c.outbox->item(i)->text();
    return sendQueueAndWaitAccepted(120000) && showDelivered(sent, 120000);
}
