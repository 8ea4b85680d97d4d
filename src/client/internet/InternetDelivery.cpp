#include "client/internet/InternetDelivery.h"

#include "client/internet/FormPage.h"
#include "client/internet/InternetControls.h"
#include "client/internet/ServerStatus.h"
#include "client/outbox/EntryList.h"
#include "client/outbox/MessageLists.h"
#include "client/settings/ClientSettings.h"
#include "common/InstallPath.h"
#include "common/Installation.h"
#include "common/LineFile.h"
#include "common/Setting.h"

#include <QDir>
#include <QHash>
#include <QUuid>
#include <utility>

namespace {

const QString kNotConnected = QStringLiteral("X:Not connected to Quorvel server.\r\n"
                                             "Connect to Quorvel server and Try again.");
const QString kSending = QStringLiteral("Y:SMS is being sent to Quorvel server....");
const QString kConnecting = QStringLiteral("Y:Connecting to Quorvel server....");
const QString kConnectError =
    QStringLiteral("E:Error connecting to Quorvel server.\r\nPlease try again later...");
const QString kConnected = QStringLiteral("X:Connected to Quorvel server.");
const QString kForm = QStringLiteral("f");

} // namespace

InternetDelivery::InternetDelivery(const Installation& installation, Lists lists, FormPage& page,
                                   ServerStatus& status, InternetControls& controls,
                                   const ClientSettings& settings,
                                   std::function<void()> clearServerCache, QObject* parent)
    : QObject(parent), m_installation(installation), m_lists(lists), m_page(page), m_status(status),
      m_controls(controls), m_settings(settings), m_clearServerCache(std::move(clearServerCache)) {
    connect(&m_page, &FormPage::downloadBegin, this, [this] { showConnecting(); });
    connect(&m_page, &FormPage::downloadComplete, this, [this] { readAnswerPage(); });
    connect(&m_status, &ServerStatus::okPressed, this, [this] {
        m_controls.setMainWindowEnabled(true);
        m_status.close();
    });
}

QString InternetDelivery::buildT(const QStringList& entries) {
    QStringList pieces;
    pieces.reserve(entries.size());
    for (const QString& e : entries) {
        // An entry without a number goes whole: the server names the piece it refuses.
        const qsizetype plus = e.indexOf('+');
        pieces << (plus < 0 ? e : e.mid(plus));
    }
    return pieces.join('#');
}

QUrl InternetDelivery::pageUrl(const QString& serverUrl) {
    QString base = serverUrl.trimmed();
    while (base.endsWith('/'))
        base.chop(1);
    return QUrl(base + QStringLiteral("/quorvel/quorvel.asp"));
}

QUrl InternetDelivery::signOnUrl(const QString& serverUrl, const QString& userId,
                                 const QString& mobile, const QString& email) {
    // Encoded by hand: QUrlQuery leaves a "+" as it is, which reads as a blank.
    QByteArray query = "?UN=" + QUrl::toPercentEncoding(userId);
    if (!mobile.isEmpty())
        query += "&M=" + QUrl::toPercentEncoding(mobile) + "&E=" + QUrl::toPercentEncoding(email);
    return QUrl::fromEncoded(pageUrl(serverUrl).toEncoded() + query, QUrl::StrictMode);
}

void InternetDelivery::signOn() {
    m_page.navigate(signOnUrl(Setting::readOrEmpty(Setting::ServerUrl),
                              Setting::readOrEmpty(Setting::UserId),
                              Setting::readOrEmpty(Setting::UserMobile),
                              Setting::readOrEmpty(Setting::UserEmail)),
                    FormPage::Cache::Bypass);
}

void InternetDelivery::showStatus(bool mainEnabled, const QString& text) {
    m_controls.setMainWindowEnabled(mainEnabled);
    m_status.show();
    m_status.ShowServerStatus(text);
}

void InternetDelivery::submitOutbox() {
    if (m_lists.outbox.isEmpty())
        return;
    if (m_clearServerCache)
        m_clearServerCache();
    const QString user = Setting::readOrEmpty(Setting::UserId);
    const QStringList entries = m_lists.outbox.all();
    const QString t = buildT(entries);
    if (!m_page.hasDocument() || m_page.formCount() == 0) {
        showStatus(false, kNotConnected);
        return;
    }
    const bool filled = m_page.setField(0, "T", t) && m_page.setField(0, "hMode", "save") &&
                        m_page.setField(0, "hUsername", user) &&
                        m_page.setField(0, "hMobile", Setting::readOrEmpty(Setting::UserMobile)) &&
                        m_page.setField(0, "hMail", Setting::readOrEmpty(Setting::UserEmail));
    // Not the service's page, or a form that would take the outbox elsewhere:
    // nothing is sent.
    if (!filled || !FormPage::samePage(m_page.actionUrl(0),
                                       pageUrl(Setting::readOrEmpty(Setting::ServerUrl)))) {
        showStatus(false, kConnectError);
        return;
    }
    // Entries whose answer never came go again with the same token, so the
    // service stores them once; a page without the field gets none.
    if (m_page.field(0, "hToken")) {
        if (m_token.isEmpty() || m_tokenEntries != entries) {
            m_token = QUuid::createUuid().toString(QUuid::WithoutBraces);
            m_tokenEntries = entries;
        }
        m_page.setField(0, "hToken", m_token);
    }
    showStatus(false, kSending);
    m_submitted = entries;
    m_page.submit(0);
    if (m_clearServerCache)
        m_clearServerCache();
}

void InternetDelivery::showConnecting() {
    m_controls.setMainWindowEnabled(m_settings.isModem());
    m_status.show();
    m_status.ShowServerStatus(kConnecting);
    m_status.setButtons(false, false);
}

void InternetDelivery::readAnswerPage() {
    const std::optional<QStringList> submitted = std::exchange(m_submitted, std::nullopt);
    if (!m_page.hasDocument())
        return;
    if (m_page.formCount() == 0) {
        showStatus(m_settings.isModem(), kConnectError);
        return;
    }
    if (m_page.formName(0) != kForm) {
        showStatus(false, kConnectError);
        return;
    }
    // The service's verdict on our submission, whatever it is, ends its token.
    if (submitted && answersOurSubmission())
        m_token.clear();
    m_status.setButtons(true, false);
    const QString status = m_page.field(0, "hstatus").value_or(QString());
    const QString status1 = m_page.field(0, "hStatus1").value_or(QString());
    m_status.ShowServerStatus(status1.startsWith('E') ? status1 : kConnected);
    m_status.close();
    m_controls.setMainWindowEnabled(true);

    if (status == kAccepted && submitted && answersOurSubmission()) {
        moveToAccepted(*submitted);
        showStatus(false, status);
        m_controls.setRemaining(status1);
        m_page.setField(0, "hstatus", QString());
    } else {
        // The success text on a page that answers no submission of ours
        // accepts nothing, and must not say so.
        showStatus(false, status == kAccepted ? kConnected : status);
        m_controls.setRemaining(status1);
    }
    m_controls.showMainWindow();
}

// Only the service's answer to the form this client posted to its page
// accepts anything: not a page reached by a redirect, nor one from elsewhere.
bool InternetDelivery::answersOurSubmission() const {
    const FormPage::Answered a = m_page.answered();
    const QUrl page = pageUrl(Setting::readOrEmpty(Setting::ServerUrl));
    return a.verb == "POST" && FormPage::samePage(a.requested, page) &&
           FormPage::samePage(a.answeredFrom, page);
}

void InternetDelivery::moveToAccepted(const QStringList& submitted) {
    const QString file = m_installation.file(MessageLists::kAcceptedFile);
    if (!LineFile::appendLines(file, submitted))
        // They have been delivered: sending them again would send them twice.
        emit notice({QStringLiteral("The accepted messages could not be added to ") +
                     QDir::toNativeSeparators(file) + QStringLiteral(".")});
    if (m_lists.outbox.all() == submitted) {
        m_lists.outbox.clear();
        m_lists.operatorQueue.clear();
        return;
    }
    // Only what was sent leaves the outbox, whatever was added since.
    QHash<QString, int> sent;
    for (const QString& e : submitted)
        ++sent[e];
    for (int i = 0; i < m_lists.outbox.count();) {
        auto it = sent.find(m_lists.outbox.at(i));
        if (it != sent.end() && it.value() > 0) {
            --it.value();
            m_lists.outbox.removeAt(i);
        } else {
            ++i;
        }
    }
    m_lists.operatorQueue.clear();
}
