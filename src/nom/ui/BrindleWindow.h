#pragma once

#include <QWidget>

class BrindleController;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// Brindle's window: shows what the controller reports. The program needs no
// input; the Exit button is the only control, and the title bar cannot close it.
class BrindleWindow : public QWidget {
    Q_OBJECT
public:
    explicit BrindleWindow(BrindleController& controller, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void addStatus(const QString& text);
    void showPort(const QString& portText);
    void changeScreen(bool cleared, qsizetype dropFront, const QString& append);

    BrindleController& m_controller;
    QPlainTextEdit* m_debugWin;
    QPlainTextEdit* m_debugScreen;
    QListWidget* m_messageQueue;
    QListWidget* m_sentQueue;
    QLabel* m_smsc;
    QComboBox* m_modemSpeed;
    QComboBox* m_portNumber;
    QLabel* m_portLabel;
    QLabel* m_modemSetting;
    QPushButton* m_exit;
    // What the modem screen shows (its pane may keep some scroll-back above it).
    QString m_screen;
};
