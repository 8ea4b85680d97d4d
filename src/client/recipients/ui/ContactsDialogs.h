#pragma once

#include <QDialog>
#include <QWidget>

class QCheckBox;
class QLabel;

// The reminder that address-book numbers must be international. Closing it
// in any way with the box ticked stores SHOW_OUTLOOK = "1" and sets `warningOff`.
class frmOWarning : public QDialog {
    Q_OBJECT
public:
    frmOWarning(bool& warningOff, QWidget* parent = nullptr);

    void done(int result) override;

private:
    bool& m_warningOff;
    QCheckBox* m_dontShowAgain = nullptr;
};

// "Please wait ....": the running count while the address book is read.
class frmMessage : public QWidget {
    Q_OBJECT
public:
    explicit frmMessage(QWidget* parent = nullptr);

    void showCount(int count);

private:
    QLabel* m_message = nullptr;
    QLabel* m_count = nullptr;
};
