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

    // Mirrors the page-information box: "PAGEIN" or "NOPAGE".
    QString pageFlag() const { return m_pageFlag; }
    bool pageInfo() const;
    QString text() const;

private:
    void load();
    void pageInfoSwitched();
    void signatureEdited();
    void acceptClicked();

    QLabel* m_label = nullptr;
    QLineEdit* m_text = nullptr;
    QCheckBox* m_pageInfo = nullptr;
    QPushButton* m_accept = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_pageFlag = QStringLiteral("NOPAGE");
    ClientSettings& m_settings;
    QString m_appPath;
    std::unique_ptr<LineBoxGuard> m_guard;
};
