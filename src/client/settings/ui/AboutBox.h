#pragma once

#include <QDialog>

struct ClientSettings;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(const ClientSettings& settings, QWidget* parent = nullptr);

    static QString versionText();
};
