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

    // True once "Exit Quorvel" was pressed: the program ends at once.
    bool exitRequested() const { return m_exitRequested; }

private:
    // Shows the stored choices.
    void load();
    void startInTrayChosen();
    void moodChosen();
    void startClicked();
    void aboutClicked();
    void exitClicked();

    ClientSettings& m_settings;
    StartupOptions m_options;
    QFrame* m_banner = nullptr;
    QCheckBox* m_startInTray = nullptr;
    QComboBox* m_mood = nullptr;
    QCheckBox* m_outlook = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_about = nullptr;
    QPushButton* m_exit = nullptr;
    bool m_loading = false;
    bool m_exitRequested = false;
};
