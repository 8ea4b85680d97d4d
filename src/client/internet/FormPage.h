#pragma once

#include "client/internet/HtmlForms.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSslConfiguration>
#include <QUrl>
#include <optional>

class QNetworkAccessManager;
class QTimer;
class QNetworkReply;
class QNetworkRequest;

// The page the Internet route works on, standing in for an embedded browser:
// it loads a page, finds its forms and their fields, lets them be set, submits
// a form as the page says (GET or POST, fields URL-encoded) and reports when a
// download begins and when it is complete. One download at a time: a new one
// drops the one under way.
class FormPage : public QObject {
    Q_OBJECT
public:
    explicit FormPage(QNetworkAccessManager& network, QObject* parent = nullptr);
    ~FormPage() override;

    enum class Cache { Use, Bypass };
    void navigate(const QUrl& url, Cache cache = Cache::Use);

    // False until a first download has completed.
    bool hasDocument() const { return m_loaded; }
    bool loading() const { return !m_reply.isNull(); }
    QUrl url() const { return m_url; }
    int formCount() const { return int(m_forms.size()); }
    QString formName(int form) const;
    // nullopt when the form has no such field.
    std::optional<QString> field(int form, const QString& name) const;
    // False when the form has no such field.
    bool setField(int form, const QString& name, const QString& value);
    bool submit(int form);
    // Where submitting the form would send it.
    QUrl actionUrl(int form) const;

    // The request the current page answers: its verb, the address it went
    // to, and the address that answered (the same, or one redirected to).
    struct Answered {
        QByteArray verb;
        QUrl requested;
        QUrl answeredFrom;
    };
    Answered answered() const { return m_answered; }
    // Whether two addresses name the same page (scheme, host, port, path).
    static bool samePage(const QUrl& a, const QUrl& b);

    // A download that trickles past its deadline is given up on; the
    // deadline runs on the installed clock. Checked as data comes and every second.
    void checkDeadline();

    // "k=v&k=v", each key and value percent-encoded as UTF-8 (a "+" too).
    static QByteArray encode(const QList<QPair<QString, QString>>& fields);

    // A server that does not answer, or answers without end, is given up on:
    // after this long without a byte, or this long from the request whatever trickles in.
    static constexpr int kTransferTimeoutMs = 60000;
    static constexpr qint64 kLargestPage = 16 * 1024 * 1024;

signals:
    void downloadBegin();
    void downloadComplete();

private:
    void start(QNetworkRequest& request, const QByteArray& verb, const QByteArray& body = {});
    void finished(QNetworkReply* reply);

    QNetworkAccessManager& m_network;
    QPointer<QNetworkReply> m_reply;
    // What the network's connections were made with.
    QSslConfiguration m_ssl;
    Answered m_request;
    Answered m_answered;
    qint64 m_deadlineMs = 0;
    QTimer* m_deadlineTimer;
    bool m_loaded = false;
    QUrl m_url;
    QList<HtmlForm> m_forms;
};
