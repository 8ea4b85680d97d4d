#pragma once

#include "client/outbox/OutboxEntry.h"
#include "common/Colour.h"

#include <QDialog>
#include <optional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Selected Message Details": the pieces of one outbox entry, read-only.
class frmDisplaySelMsgDetls : public QDialog {
    Q_OBJECT
public:
    frmDisplaySelMsgDetls(const OutboxEntry::Details& details,
                          const std::optional<Colour>& backColour, QWidget* parent = nullptr);

private:
    void closeClicked();

    QLineEdit* txtMessageId = nullptr;
    QLineEdit* txtMessageDt = nullptr;
    QPlainTextEdit* txtMessage = nullptr;
    QLineEdit* txtMsgLen = nullptr;
    QPushButton* Command1 = nullptr;
};
