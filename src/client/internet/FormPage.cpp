#include "client/internet/FormPage.h"

#include "common/Clock.h"
#include "common/Registry.h"
#include "common/Setting.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>

FormPage::FormPage(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), m_network(network), m_ssl(QSslConfiguration::defaultConfiguration()),
      m_deadlineTimer(new QTimer(this)) {
    m_deadlineTimer->setInterval(1000);
    connect(m_deadlineTimer, &QTimer::timeout, this, &FormPage::checkDeadline);
}

FormPage::~FormPage() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void FormPage::navigate(const QUrl& url, Cache cache) {
    QNetworkRequest request(url);
    if (cache == Cache::Bypass) {
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    }
    start(request, "GET");
}

QString FormPage::formName(int form) const {
    return form >= 0 && form < m_forms.size() ? m_forms[form].name : QString();
}

std::optional<QString> FormPage::field(int form, const QString& name) const {
    if (form < 0 || form >= m_forms.size())
        return std::nullopt;
    const int i = m_forms[form].indexOf(name);
    if (i < 0)
        return std::nullopt;
    return m_forms[form].fields[i].value;
}

bool FormPage::setField(int form, const QString& name, const QString& value) {
    if (form < 0 || form >= m_forms.size())
        return false;
    const int i = m_forms[form].indexOf(name);
    if (i < 0)
        return false;
    m_forms[form].fields[i].value = value;
    return true;
}

QByteArray FormPage::encode(const QList<QPair<QString, QString>>& fields) {
    QByteArray out;
    for (const auto& [key, value] : fields) {
        if (!out.isEmpty())
            out += '&';
        out += QUrl::toPercentEncoding(key) + '=' + QUrl::toPercentEncoding(value);
    }
    return out;
}

QUrl FormPage::actionUrl(int form) const {
    if (form < 0 || form >= m_forms.size())
        return QUrl();
    return m_url.resolved(QUrl(m_forms[form].action));
}

namespace {

// The system's CA certificates, plus those of the file SERVER_CA names. Read
// at each request: the office may replace the file. A file without a
// certificate adds nothing, so the server must pass on the system's alone.
QSslConfiguration serverSslConfiguration() {
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    const QString path = Setting::read(Setting::ServerCa);
    if (path.isEmpty() || path == QLatin1String(Registry::kError))
        return config;
    const QList<QSslCertificate> own =
        QSslCertificate::fromPath(path, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
    // The system's named as well: a list set on the configuration replaces
    // the ones loaded as they are needed.
    if (!own.isEmpty())
        config.setCaCertificates(QSslConfiguration::systemCaCertificates() + own);
    return config;
}

bool sameServer(const QUrl& a, const QUrl& b) {
    const auto port = [](const QUrl& u) {
        return u.port(u.scheme() == QLatin1String("https") ? 443 : 80);
    };
    return a.isValid() && b.isValid() && a.scheme() == b.scheme() && a.host() == b.host() &&
           port(a) == port(b);
}

} // namespace

bool FormPage::samePage(const QUrl& a, const QUrl& b) {
    return sameServer(a, b) && a.path() == b.path();
}

bool FormPage::submit(int form) {
    if (form < 0 || form >= m_forms.size())
        return false;
    const HtmlForm& f = m_forms[form];
    QList<QPair<QString, QString>> pairs;
    for (const auto& field : f.fields)
        pairs.append({field.name, field.value});
    const QByteArray data = encode(pairs);
    QUrl target = actionUrl(form);
    if (f.method == "post") {
        QNetworkRequest request(target);
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));
        start(request, "POST", data);
    } else {
        // Already encoded: QUrl would leave a "+" of ours as it is otherwise.
        QByteArray encoded = target.toEncoded(QUrl::RemoveQuery | QUrl::RemoveFragment);
        QNetworkRequest request(QUrl::fromEncoded(encoded + '?' + data, QUrl::StrictMode));
        start(request, "GET");
    }
    return true;
}

void FormPage::start(QNetworkRequest& request, const QByteArray& verb, const QByteArray& body) {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    request.setTransferTimeout(kTransferTimeoutMs);
    // Kept by the redirects too: they copy the request.
    request.setSslConfiguration(serverSslConfiguration());
    // A connection to a server, and the trust it was made with, outlives its
    // request: a changed file must not wait until the network lets it go.
    if (request.sslConfiguration() != m_ssl) {
        m_network.clearConnectionCache();
        m_ssl = request.sslConfiguration();
    }
    // A redirect may only lead to another page of the same server: the
    // page's address is where the next form goes, outbox and all.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    m_request = {verb, request.url(), QUrl()};
    m_deadlineMs = Clock::instance().monotonicMs() + kTransferTimeoutMs;
    m_reply = m_network.sendCustomRequest(request, verb, body);
    QNetworkReply* reply = m_reply;
    const QUrl origin = request.url();
    connect(reply, &QNetworkReply::redirected, this, [reply, origin](const QUrl& to) {
        if (sameServer(origin.resolved(to), origin))
            emit reply->redirectAllowed();
        else
            reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > kLargestPage)
            reply->abort();
        else
            checkDeadline();
    });
    connect(reply, &QNetworkReply::uploadProgress, this, &FormPage::checkDeadline);
    m_deadlineTimer->start();
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
    emit downloadBegin();
}

void FormPage::checkDeadline() {
    if (m_reply && Clock::instance().monotonicMs() >= m_deadlineMs)
        m_reply->abort();
}

void FormPage::finished(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != m_reply)
        return;
    m_reply = nullptr;
    m_deadlineTimer->stop();
    m_url = reply->url();
    m_answered = m_request;
    m_answered.answeredFrom = reply->url();
    // A whole answer with an HTTP status is a page, whatever the status;
    // without one (refused, cut off, timed out, too large, redirected away)
    // the page is an empty one, as a browser shows its own error page.
    const QNetworkReply::NetworkError error = reply->error();
    const bool httpError =
        (error >= QNetworkReply::ContentAccessDenied &&
         error <= QNetworkReply::UnknownContentError) ||
        (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() &&
                          (error == QNetworkReply::NoError || httpError);
    m_forms = answered ? HtmlForms::parse(reply->readAll()) : QList<HtmlForm>();
    m_loaded = true;
    emit downloadComplete();
}
