#pragma once

#include "client/outbox/ComposedMessageSource.h"
#include "client/outbox/MessageLists.h"
#include "client/outbox/RecipientSource.h"
#include "client/outbox/ui/DeliveryController.h"
#include "client/outbox/ui/MessageListWindow.h"
#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/SendController.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/outbox/ui/frmDisplaySelMsgDetls.h"
#include "client/settings/ClientSettings.h"
#include "common/ExchangeFiles.h"
#include "common/IntervalTimer.h"
#include "support/FakeInternetRoute.h"
#include "support/FakeLauncher.h"
#include "support/WidgetTest.h"

#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QToolButton>

// The outbox and send panels on a test installation, with fake message,
// recipients, Internet route and launcher.

inline QListWidget* listed(const MessageListWindow& w) {
    return w.findChild<QListWidget*>("List1");
}
// A message list window's counter.
inline QString counter(const MessageListWindow& w) {
    return w.findChild<QLabel*>("Label2")->text();
}

inline const QString kStamp = "05/12/2026 16:20:00";
inline const QString kSendQueue = "Select SEND QUEUE button to send queued messages.";

struct FakeMessage : ComposedMessageSource {
    void replaceLineBreaks() override {
        if (onReplace)
            onReplace();
    }
    QString subject() const override { return subjectText; }
    QString message() const override { return messageText; }
    bool signatureOn() const override { return true; }
    void colourMessage(Colour c) override { colour = c; }
    void clearForNextMessage() override {
        subjectText.clear();
        messageText.clear();
        ++cleared;
    }
    QString subjectText, messageText;
    std::function<void()> onReplace;
    std::optional<Colour> colour;
    int cleared = 0;
};

struct FakeRecipients : RecipientSource {
    int numberListCount() const override { return int(all.size()); }
    QStringList checkedEntries() const override { return checked; }
    void colourNumberList(Colour c) override { colour = c; }
    QStringList all{"Jane Smith  +447700900123", "Bob  +33612"};
    QStringList checked{"Jane Smith  +447700900123"};
    std::optional<Colour> colour;
};

class OutboxPanelTest : public WidgetTest {
protected:
    OutboxPanelTest() {
        inst.writeBytes("Config\\Sign.cfg", "PAGEIN- Quorvel 3.0.\r\n");
        inst.writeBytes("Config\\MsgID.dat", "57\r\n");
        settings.connection = ConnectionType::Modem;
        poll.setInterval(1000); // as the Modem connection leaves it
        blink.setInterval(1000);
        out = new OutboxPanel(settings, inst.installation(), &window);
        send = new SendPanel(settings, inst.installation(), {*out, message, recipients, internet},
                             {poll, blink}, std::make_unique<FakeLauncher>(), &window);
    }
    SendController& sender() { return send->send(); }
    DeliveryController& delivery() { return send->delivery(); }
    // Sends `text` to the checked recipients with Send.
    void sendText(const QString& text) {
        message.messageText = text;
        sent<QToolButton>("Picture5")->click();
    }
    static QByteArray accepted(int n, int firstId = 1) {
        QStringList l;
        for (int i = 0; i < n; ++i)
            l << QString("Accepted::[%1] %2 +441 m").arg(firstId + i).arg(kStamp);
        return lines(l);
    }

    ClientSettings settings;
    IntervalTimer poll, blink;
    FakeMessage message;
    FakeRecipients recipients;
    FakeInternetRoute internet;
    QWidget window;
    OutboxPanel* out = nullptr;
    SendPanel* send = nullptr;
    QListWidget* list(const char* name) const { return out->findChild<QListWidget*>(name); }
    QTimeEdit* txttime() const { return sent<QTimeEdit>("txttime"); }
    template <typename W> W* sent(const char* name) const { return send->findChild<W*>(name); }
};
