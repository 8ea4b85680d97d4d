#pragma once

#include "client/outbox/ComposedMessageSource.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

struct ClientSettings;
class ComposeController;
class Installation;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

// The "SMS Message" frame of the main window: subject, message, quick
// messages, the signature switch and the character counters, with the
// editor's rules. Send reads the composed message through it.
class CompositionPanel : public QWidget, public ComposedMessageSource {
    Q_OBJECT
public:
    CompositionPanel(ClientSettings& settings, const Installation& installation,
                     QWidget* parent = nullptr);
    ~CompositionPanel() override;

    ComposeController& controller() { return *m_controller; }
    void applyBackColour(const std::optional<Colour>& colour);

    void replaceLineBreaks() override;
    QString subject() const override;
    QString message() const override;
    bool signatureOn() const override;
    void colourMessage(Colour colour) override;
    void clearForNextMessage() override;

private:
    // The controller is the panel's other half: it serves these controls.
    friend class ComposeController;

    void buildControls();
    void buildCounters();

    QGroupBox* m_frame = nullptr;
    QLineEdit* m_subject = nullptr;
    QPlainTextEdit* m_message = nullptr;
    QComboBox* m_quickMessages = nullptr;
    QToolButton* m_addQuickMessage = nullptr;
    QCheckBox* m_signatureOn = nullptr;
    QToolButton* m_changeSignature = nullptr;
    QToolButton* m_clearMessage = nullptr;
    QGroupBox* m_counters = nullptr;
    QLineEdit* m_signatureCount = nullptr;
    QLineEdit* m_messageCount = nullptr;
    QLineEdit* m_totalCount = nullptr;

    std::unique_ptr<ComposeController> m_controller;
};
