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

    QGroupBox* fraSMSMessage = nullptr;
    QLineEdit* txtSubject = nullptr;
    QPlainTextEdit* txtMessage = nullptr;
    QComboBox* Combo1 = nullptr; // quick messages
    QToolButton* picQuickMsg = nullptr;
    QCheckBox* Check2 = nullptr;      // signature
    QToolButton* Picture10 = nullptr; // change signature
    QToolButton* Picture17 = nullptr; // clear message
    QGroupBox* fraChrCnt = nullptr;
    QLineEdit* txtLenSignature = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* txtLenTotal = nullptr;

private:
    void buildControls();

    std::unique_ptr<ComposeController> m_controller;
};
