#pragma once

#include "client/outbox/InternetRoute.h"
#include "common/Notice.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

struct ClientSettings;
class EntryList;
class FormPage;
class Installation;
class InternetControls;
class ServerStatus;

// Delivery through the service's web page: the sign-on, Send Queue in the
// Internet connection (the whole outbox in one form "f"), and the reading of
// the answer page, whose "hstatus" and "hStatus1" decide what happens.
class InternetDelivery : public QObject, public InternetRoute {
    Q_OBJECT
public:
    struct Lists {
        EntryList& outbox;
        EntryList& operatorQueue; // ListCellnet
    };

    // `clearServerCache` runs before and after each submission.
    InternetDelivery(const Installation& installation, Lists lists, FormPage& page,
                     ServerStatus& status, InternetControls& controls,
                     const ClientSettings& settings, std::function<void()> clearServerCache,
                     QObject* parent = nullptr);

    // OK of the connection settings confirmed the Internet connection.
    void signOn();
    // Send Queue with entries in the outbox (the caller tells about an empty one).
    void submitOutbox() override;
    // The page's download began / completed: the status window follows it,
    // and a completed answer decides what happens to the outbox.
    void showConnecting();
    void readAnswerPage();

    // Each entry from its first "+" (the number, a blank, the text), joined with "#".
    static QString buildT(const QStringList& entries);
    static QUrl pageUrl(const QString& serverUrl);
    // Every key and value URL-encoded; M and E only when the mobile number is known.
    static QUrl signOnUrl(const QString& serverUrl, const QString& userId, const QString& mobile,
                          const QString& email);

    static inline const QString kAccepted =
        QStringLiteral("D:SMS message(s) accepted for processing.");

signals:
    // What the delivery has to tell the user; the window shows it.
    void notice(const Notice& notice);

private:
    void showStatus(bool mainEnabled, const QString& text);
    void moveToAccepted(const QStringList& submitted);
    bool answersOurSubmission() const;

    const Installation& m_installation;
    Lists m_lists;
    FormPage& m_page;
    ServerStatus& m_status;
    InternetControls& m_controls;
    const ClientSettings& m_settings;
    std::function<void()> m_clearServerCache;
    // The entries of the submission whose answer is awaited. Only that answer
    // moves them: a sign-on page or a page downloaded again never does.
    std::optional<QStringList> m_submitted;
    // The token of the last submission no verdict has answered yet, and its entries.
    QString m_token;
    QStringList m_tokenEntries;
};
