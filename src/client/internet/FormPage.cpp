#include "client/internet/FormPage.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

FormPage::FormPage(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), m_network(network) {}

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

bool FormPage::submit(int form) {
    if (form < 0 || form >= m_forms.size())
        return false;
    const HtmlForm& f = m_forms[form];
    QList<QPair<QString, QString>> pairs;
    for (const auto& field : f.fields)
        pairs.append({field.name, field.value});
    const QByteArray data = encode(pairs);
    QUrl target = m_url.resolved(QUrl(f.action));
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
    m_reply = m_network.sendCustomRequest(request, verb, body);
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > kLargestPage)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
    emit downloadBegin();
}

void FormPage::finished(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != m_reply)
        return;
    m_reply = nullptr;
    m_url = reply->url();
    // An answer with an HTTP status is a page, whatever the status; without
    // one (refused, timed out, too large) the page is an empty one, as a
    // browser shows its own error page.
    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() &&
                          reply->error() != QNetworkReply::OperationCanceledError;
    m_forms = answered ? HtmlForms::parse(reply->readAll()) : QList<HtmlForm>();
    m_loaded = true;
    emit downloadComplete();
    emit documentComplete();
}
