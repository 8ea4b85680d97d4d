#pragma once

#include <QDialog>
#include <QString>
#include <memory>

struct ClientSettings;
class LineBoxGuard;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Change Signature": the signature text and the page-information choice,
// kept in Config\Sign.cfg.
class SignatureDialog : public QDialog {
    Q_OBJECT
public:
    SignatureDialog(ClientSettings& settings, QString appPath, QWidget* parent = nullptr);
    ~SignatureDialog() override;

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QCheckBox* chkPageInfo = nullptr;
    QPushButton* Command1 = nullptr; // Accept
    QPushButton* Command2 = nullptr; // Cancel

    // Mirrors chkPageInfo: "PAGEIN" or "NOPAGE".
    QString PageFlag = QStringLiteral("NOPAGE");

    void Form_Load();
    void chkPageInfo_Click();
    void Text1_Change();
    void Command1_Click();
    void Command2_Click();

    bool pageInfo() const;

private:
    ClientSettings& m_settings;
    QString m_appPath;
    std::unique_ptr<LineBoxGuard> m_guard;
};
