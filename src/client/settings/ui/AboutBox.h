#pragma once

#include <QDialog>

struct ClientSettings;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(const ClientSettings& settings, QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QPlainTextEdit* contact = nullptr;
    QPushButton* cmdOK = nullptr;

    static QString versionText();
};
