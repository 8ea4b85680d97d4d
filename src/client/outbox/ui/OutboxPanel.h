#pragma once

#include "common/Colour.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

struct ClientSettings;
class Installation;
class OutboxController;
class QGroupBox;
class QListWidget;
class QToolButton;

// The "Outbox" frame of the main window with its buttons, and the two lists
// the window keeps out of sight: the operator queue and the scheduled entries.
class OutboxPanel : public QWidget {
    Q_OBJECT
public:
    OutboxPanel(ClientSettings& settings, const Installation& installation,
                QWidget* parent = nullptr);
    ~OutboxPanel() override;

    OutboxController& controller() { return *m_controller; }
    void applyBackColour(const std::optional<Colour>& colour);

    // The lists the Internet route reads and writes entry by entry.
    QListWidget* outboxList() const { return outbox; }
    QListWidget* operatorQueueList() const { return ListCellnet; }
    // Entries still wait in the outbox.
    bool hasEntries() const;

private:
    // The controllers and the Send box work the controls no other part of
    // the program reaches.
    friend class DeliveryController;
    friend class OutboxController;
    friend class SendController;
    friend class SendPanel;

    QGroupBox* Frame10 = nullptr;
    QListWidget* outbox = nullptr;
    QToolButton* Picture9 = nullptr; // accepted messages
    QListWidget* ListCellnet = nullptr;
    QListWidget* schedulebox = nullptr;
    QToolButton* Picture12 = nullptr; // delete selected
    QToolButton* Picture1 = nullptr;  // remove all
    QToolButton* Picture15 = nullptr; // failed messages
    std::unique_ptr<OutboxController> m_controller;
};
