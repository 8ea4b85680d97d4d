#pragma once

#include "client/outbox/MessageAssembler.h"
#include "client/outbox/MessageIdCounter.h"

#include <QObject>
#include <QString>
#include <functional>

struct ClientSettings;
class ComposedMessageSource;
class Installation;
class OutboxController;
class OutboxPanel;
class RecipientSource;
class SendPanel;

// The Send button: gathers the composed message and the checked recipients,
// lets the assembler decide, and turns its plan into outbox entries (or
// scheduled ones) with ids from the counter.
class SendController : public QObject {
    Q_OBJECT
public:
    SendController(SendPanel& controls, OutboxPanel& lists, ComposedMessageSource& message,
                   RecipientSource& recipients, ClientSettings& settings,
                   const Installation& installation, OutboxController& outbox,
                   QObject* parent = nullptr);

    void sendClicked();
    void BuildOutboxEntries();
    // True when the entries were made.
    bool BuildScheduledEntries();

    // A send is running (window events run between its recipients).
    bool sending() const { return m_sendDepth > 0; }
    // The window is closing: a send under way stops before its next
    // recipient, so nothing reaches the inbox after the user chose to exit.
    void stop();
    // The Send Queue reminder: the "Tag" property of the Send button.
    static constexpr const char* kBlinkProperty = "Tag";
    QString blinkMarker() const;

    // The schedule action, run instead of Send when a time is chosen.
    std::function<void()> scheduleAction;

    MessageIdCounter& idCounter() { return m_ids; }

private:
    MessageAssembler::Input gather() const;
    bool accepted(const MessageAssembler::Plan& plan);
    std::optional<qint64> reserveIds(int count);
    void setSending(bool on);
    // Numbers the plan's entries from `firstId` and hands each recipient's on.
    bool emitEntries(const MessageAssembler::Plan& plan, qint64 firstId,
                     const std::function<bool(const QStringList&)>& handOver);
    void deliveryPrompt();

    SendPanel& m_c;
    OutboxPanel& m_lists;
    ComposedMessageSource& m_message;
    RecipientSource& m_recipients;
    ClientSettings& m_settings;
    const Installation& m_installation;
    OutboxController& m_outbox;
    MessageIdCounter m_ids;
    // Sends under way; a scheduled send may run inside an immediate one's events.
    int m_sendDepth = 0;
    bool m_stopped = false;
};
