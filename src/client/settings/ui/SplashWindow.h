#pragma once

#include "client/settings/StartupOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QLabel;
class QFrame;

// The options window shown at every start, before the main window.
class SplashWindow : public QDialog {
    Q_OBJECT
public:
    explicit SplashWindow(ClientSettings& settings, QWidget* parent = nullptr);

    QCheckBox* chkMinOnStartup = nullptr;
    QComboBox* cmbBackColor = nullptr;
    QCheckBox* outlookCheck = nullptr;
    QPushButton* Command2 = nullptr; // Start Quorvel
    QPushButton* Command1 = nullptr; // About Quorvel
    QPushButton* cmdExit = nullptr;
    QFrame* Picture1 = nullptr;

    void Form_Load();
    void chkMinOnStartup_Click();
    void cmbBackColor_Click();
    void Command2_Click();
    void Command1_Click();
    void cmdExit_Click();

    // True once "Exit Quorvel" was pressed: the program ends at once.
    bool exitRequested() const { return m_exit; }

private:
    ClientSettings& m_settings;
    StartupOptions m_options;
    bool m_loading = false;
    bool m_exit = false;
};
