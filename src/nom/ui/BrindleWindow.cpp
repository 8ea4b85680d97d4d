#include "nom/ui/BrindleWindow.h"

#include "nom/BrindleController.h"
#include "nom/Modem.h"
#include "ui/PanelWidgets.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QPlainTextEdit* pane(const QString& name) {
    auto* p = new QPlainTextEdit;
    p->setObjectName(name);
    p->setReadOnly(true);
    p->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return p;
}

void showAtEnd(QPlainTextEdit* p, const QString& text) {
    p->setPlainText(text);
    p->moveCursor(QTextCursor::End);
    p->verticalScrollBar()->setValue(p->verticalScrollBar()->maximum());
}

void fill(QListWidget* list, const QStringList& items) {
    list->clear();
    list->addItems(items);
}

} // namespace

BrindleWindow::BrindleWindow(BrindleController& controller, QWidget* parent)
    : QWidget(parent), m_controller(controller) {
    setObjectName("Brindle");
    setWindowTitle("Cellnet NOM");

    m_debugWin = pane("DebugWin");
    m_debugScreen = pane("DebugScreen");
    m_messageQueue = new QListWidget;
    m_messageQueue->setObjectName("MessageQueue");
    m_sentQueue = new QListWidget;
    m_sentQueue->setObjectName("SentQueue");
    m_smsc = new QLabel;
    m_smsc->setObjectName("cbSMSC");
    m_modemSpeed = new QComboBox;
    m_modemSpeed->setObjectName("cbModemSpeed");
    m_portNumber = new QComboBox;
    m_portNumber->setObjectName("CbPortNumber");
    for (int i = 1; i <= 8; ++i)
        m_portNumber->addItem(QString::number(i));
    m_portNumber->setCurrentIndex(-1);
    m_portLabel = new QLabel;
    m_portLabel->setObjectName("Label7");
    m_modemSetting = new QLabel("Not Configured");
    m_modemSetting->setObjectName("lbModemSetting");
    m_exit = new QPushButton("Exit");
    m_exit->setObjectName("bExit");

    auto* speedLabel = new QLabel("Speed");
    auto* portLabel = new QLabel("Port");
    auto* queueLabel = new QLabel("Message Queue");
    auto* sentLabel = new QLabel("Sent Queue");
    using PanelWidgets::labelFor;
    labelFor(speedLabel, m_modemSpeed);
    labelFor(portLabel, m_portNumber);
    labelFor(queueLabel, m_messageQueue);
    labelFor(sentLabel, m_sentQueue);
    m_debugWin->setAccessibleName("Status");
    m_debugScreen->setAccessibleName("Modem Screen");

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("SMSC"), 0, 0);
    grid->addWidget(m_smsc, 0, 1);
    grid->addWidget(speedLabel, 0, 2);
    grid->addWidget(m_modemSpeed, 0, 3);
    grid->addWidget(portLabel, 1, 0);
    grid->addWidget(m_portNumber, 1, 1);
    grid->addWidget(m_portLabel, 1, 2);
    grid->addWidget(m_modemSetting, 1, 3);
    grid->addWidget(m_debugWin, 2, 0, 1, 4);
    grid->addWidget(m_debugScreen, 3, 0, 1, 4);
    grid->addWidget(queueLabel, 4, 0, 1, 2);
    grid->addWidget(sentLabel, 4, 2, 1, 2);
    grid->addWidget(m_messageQueue, 5, 0, 1, 2);
    grid->addWidget(m_sentQueue, 5, 2, 1, 2);
    grid->addWidget(m_exit, 6, 3);
    resize(640, 560);

    showAtEnd(m_debugWin, controller.statusLog().paneText());
    connect(&controller, &BrindleController::statusAdded, this, &BrindleWindow::addStatus);
    connect(&controller, &BrindleController::modemScreenChanged, this,
            &BrindleWindow::changeScreen);
    connect(&controller, &BrindleController::queuesChanged, this,
            [this](const QStringList& queue, const QStringList& sent) {
                fill(m_messageQueue, queue);
                fill(m_sentQueue, sent);
            });
    connect(&controller, &BrindleController::settingsShown, this,
            [this](const QString& dial, const QString& speed) {
                m_smsc->setText(dial);
                m_modemSpeed->clear();
                m_modemSpeed->addItem(speed);
            });
    connect(&controller, &BrindleController::portShown, this, &BrindleWindow::showPort);
    connect(&controller, &BrindleController::lineSettingsShown, m_modemSetting, &QLabel::setText);
    connect(m_exit, &QPushButton::clicked, &controller, &BrindleController::exitClicked);
    connect(&controller, &BrindleController::finished, this, [this] { hide(); });
}

// Only the new line is laid out: setting the whole pane again cost a
// millisecond and more at every line.
void BrindleWindow::addStatus(const QString& text) {
    QTextCursor end(m_debugWin->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text + QStringLiteral("\r\n"));
    // The pane shows the log's pane text, where a CR LF is one line end.
    const QString pane = m_controller.statusLog().paneText();
    const int over = m_debugWin->document()->characterCount() - 1 -
                     int(pane.size() - pane.count(QStringLiteral("\r\n")));
    if (over > 0) {
        QTextCursor front(m_debugWin->document());
        front.setPosition(over, QTextCursor::KeepAnchor);
        front.removeSelectedText();
    }
    m_debugWin->moveCursor(QTextCursor::End);
    m_debugWin->verticalScrollBar()->setValue(m_debugWin->verticalScrollBar()->maximum());
}

// New text is appended; the pane is laid out again only when the modem's
// buffer shrank, or when trimming its scroll-back is due, which a chatty
// line brings about once every kScreenLimit characters.
void BrindleWindow::changeScreen(bool cleared, qsizetype dropFront, const QString& append) {
    if (cleared)
        m_screen.clear();
    m_screen.remove(0, dropFront);
    m_screen += append;
    const bool trimmed = dropFront > 0 && m_screen.size() >= Modem::kScreenLimit;
    const int laidOut = m_debugScreen->document()->characterCount();
    if (cleared || (dropFront > 0 && !trimmed) || (trimmed && laidOut > 2 * Modem::kScreenLimit)) {
        showAtEnd(m_debugScreen, m_screen);
        return;
    }
    QTextCursor end(m_debugScreen->document());
    end.movePosition(QTextCursor::End);
    end.insertText(append);
    m_debugScreen->verticalScrollBar()->setValue(m_debugScreen->verticalScrollBar()->maximum());
}

void BrindleWindow::showPort(const QString& portText) {
    m_portLabel->setText("COM" + portText);
    const int i = m_portNumber->findText(portText);
    if (i >= 0)
        m_portNumber->setCurrentIndex(i);
}

void BrindleWindow::closeEvent(QCloseEvent* event) {
    // Only the program's own end closes the window.
    if (m_controller.hasEnded())
        event->accept();
    else
        event->ignore();
}
