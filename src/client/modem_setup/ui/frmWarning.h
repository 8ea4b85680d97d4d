#pragma once

#include <QDialog>

struct ClientSettings;
class QCheckBox;
class QLabel;
class QPushButton;

// The notice shown when the Internet connection is picked by hand: Yes
// confirms the choice at once; "Don't show this again." stops the notice for
// good, whichever way the window closes.
class frmWarning : public QDialog {
    Q_OBJECT
public:
    explicit frmWarning(ClientSettings& settings, QWidget* parent = nullptr);

    // Every way out (buttons, close box, Escape) ends here.
    void done(int result) override;

private:
    void yesClicked();
    void noClicked();

    QLabel* lblWarningMessage = nullptr;
    QCheckBox* chkShow = nullptr;
    QPushButton* cmdYes = nullptr;
    QPushButton* cmdNo = nullptr;
    ClientSettings& m_settings;
};
