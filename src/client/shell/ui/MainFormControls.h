#pragma once

// Every control of the main window, by the name the rest of the client uses.
// The main window creates them; each area's controller works on the ones it
// owns. Header only, so areas need no link dependency on the shell.

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;
class QToolButton;
class QWidget;
class ClickableLabel;

struct MainFormControls {
    QWidget* mainForm = nullptr;

    // Composition ("SMS Message" frame).
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

    // Number List (Frame2) and Single Contact (Frame4).
    QGroupBox* Frame2 = nullptr;
    QListWidget* List4 = nullptr;
    QToolButton* Picture7 = nullptr; // delete one
    ClickableLabel* Label4 = nullptr;
    QToolButton* Picture8 = nullptr; // delete all
    ClickableLabel* Label5 = nullptr;
    QRadioButton* optSelectAll = nullptr;
    QRadioButton* optUnselectAll = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLabel* lblName = nullptr;
    QLineEdit* Text1 = nullptr; // name
    QLabel* lblMobile = nullptr;
    QLineEdit* Text3 = nullptr; // mobile
    QComboBox* cmbCountryCode = nullptr;
    QToolButton* Picture4 = nullptr; // add single contact
    ClickableLabel* lblAddSingleContact = nullptr;
    QToolButton* Picture16 = nullptr; // clear single contact
    ClickableLabel* lblClear = nullptr;
    QToolButton* Picture3 = nullptr; // add to frequently dialled
    ClickableLabel* lblAddFreqDialedNo = nullptr;

    // Frequently dialled numbers (Frame6).
    QGroupBox* Frame6 = nullptr;
    QComboBox* Combo2 = nullptr;
    QToolButton* Picture18 = nullptr;
    ClickableLabel* lblAddFreqDialedNos = nullptr;
    QToolButton* Picture6 = nullptr;
    ClickableLabel* Label3 = nullptr;

    // Contact groups (Frame9) and contacts.
    QGroupBox* Frame9 = nullptr;
    QComboBox* Combo3 = nullptr;
    QToolButton* Picture19 = nullptr;
    ClickableLabel* lblAddGrpNos = nullptr;
    QToolButton* Picture2 = nullptr;
    ClickableLabel* Label2 = nullptr;
    QToolButton* picContact = nullptr;
    QToolButton* picOutLook = nullptr;
    ClickableLabel* Label7 = nullptr;
};
