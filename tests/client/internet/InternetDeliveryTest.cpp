#include "client/internet/InternetDelivery.h"
#include "client/internet/FormPage.h"
#include "client/internet/InternetControls.h"
#include "client/internet/ServerCache.h"
#include "client/internet/ServerStatus.h"
#include "client/outbox/EntryList.h"
#include "client/settings/ClientSettings.h"
#include "common/Setting.h"
#include "support/FakeClock.h"
#include "support/PageServer.h"
#include "support/ScriptedMessageBox.h"
#include "support/ServiceProcess.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QProcess>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslKey>
#include <gtest/gtest.h>
#include <optional>

namespace {

const QString kE1 = "[1] 05/12/2026 16:20:00 +447700900001 Hello";
const QString kE2 = "[2] 05/12/2026 16:20:00 +447700900002 a+b & c=d";
const QString kE3 = "Processing::[3] 05/12/2026 16:20:00 +447700900003 x";
const QString kError = "Error connecting to Quorvel server.\r\nPlease try again later...";

// A page like the service's, for answers the service never gives.
QByteArray cannedPage(const QString& status, const QByteArray& form = "f",
                      const QByteArray& action = "quorvel.asp", bool token = false) {
    QByteArray fields;
    for (const char* name : {"T", "hMode", "hUsername", "hMobile", "hMail", "hStatus1"})
        fields += "<input type=\"hidden\" name=\"" + QByteArray(name) + "\" value=\"\">";
    if (token)
        fields += "<input type=\"hidden\" name=\"hToken\" value=\"\">";
    return "<html><body><form name=\"" + form + "\" method=\"post\" action=\"" + action + "\">" +
           fields + "<input type=\"hidden\" name=\"hstatus\" value=\"" + status.toUtf8() +
           "\"></form></body></html>";
}

struct Window : InternetControls {
    void setMainWindowEnabled(bool on) override { enabled = on; }
    void showMainWindow() override {}
    void setRemaining(const QString& text) override { remaining = text; }
    bool enabled = true;
    QString remaining;
};

// The delivery against the service on this machine, signed on as the client
// would be when OK confirmed the Internet connection.
class InternetDeliveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        inst.writeBytes("Config\\AccpMsgs.dat", "");
        settings = ClientSettings::loadWithDefaults();
        settings.connection = ConnectionType::InternetChosenNow;
        ASSERT_GT(service.port, 0) << service.log.toStdString();
        Setting::write(Setting::ServerUrl, service.url());
        Setting::write(Setting::UserMobile, "+447700900009");
        Setting::write(Setting::UserEmail, "me@example.org");
        QObject::connect(&status, &ServerStatus::shown, [this](const QString& m) { shown << m; });
    }
    // Canned pages instead of the service: `post` answers the submission.
    void useCannedPages(const QByteArray& signOn, const QByteArray& post) {
        Setting::write(Setting::ServerUrl, pages.url());
        pages.answer = [=](const QByteArray& method) { return method == "GET" ? signOn : post; };
    }
    void waitForPage() {
        if (!page.loading())
            return;
        QEventLoop loop;
        QObject::connect(&page, &FormPage::downloadComplete, &loop, &QEventLoop::quit);
        loop.exec();
    }
    void signOn() {
        delivery.signOn();
        waitForPage();
        status.okClicked();
    }
    void sendQueue() {
        delivery.submitOutbox();
        waitForPage();
    }
    int stopService() {
        network.clearConnectionCache();
        return service.stop();
    }
    QByteArray accepted() const { return inst.bytes("Config\\AccpMsgs.dat"); }

    TestInstallation inst;
    ScriptedMessageBox boxes;
    ServiceProcess service{inst.root() + "/service.sqlite"};
    PageServer pages;
    ClientSettings settings;
    QNetworkAccessManager network;
    FormPage page{network};
    ServerStatus status;
    Window window;
    StringEntryList outbox{{kE1, kE2, kE3}};
    StringEntryList queue{{kE1}};
    int cacheClears = 0;
    QStringList shown;
    InternetDelivery delivery{
        inst.installation(),      {outbox, queue}, page, status, window, settings,
        [this] { ++cacheClears; }};
};

} // namespace

TEST_F(InternetDeliveryTest, SendQueueSubmitsTheOutboxAndTheSuccessMovesItOnce) {
    EXPECT_EQ(InternetDelivery::signOnUrl("http://h:1/", "id+1&x", "", "a@b").toEncoded(),
              "http://h:1/quorvel/quorvel.asp?UN=id%2B1%26x");
    Setting::write(Setting::UserId, "id+1&x");
    Setting::write(Setting::UserEmail, "a+b@c.d&e=f");
    Setting::write(Setting::ServerUrl, service.url() + "/");
    signOn();
    EXPECT_TRUE(window.enabled && !status.visible()) << "Ok closes the window";
    // The service sends back what it registered.
    EXPECT_EQ(page.field(0, "hUsername").value_or("?") + '|' +
                  page.field(0, "hMobile").value_or("?") + '|' +
                  page.field(0, "hMail").value_or("?"),
              "id+1&x|+447700900009|a+b@c.d&e=f");
    sendQueue();
    EXPECT_EQ(cacheClears, 2);
    EXPECT_EQ(accepted(), (kE1 + "\r\n" + kE2 + "\r\n" + kE3 + "\r\n").toUtf8());
    EXPECT_TRUE(outbox.isEmpty() && queue.isEmpty());
    EXPECT_EQ(status.message(), "SMS message(s) accepted for processing.");
    EXPECT_TRUE(status.visible() && status.okEnabled() && !status.connectEnabled());
    EXPECT_FALSE(window.enabled);
    EXPECT_EQ(window.remaining, "97 SMS message(s) remaining today.");
    delivery.submitOutbox();
    EXPECT_FALSE(page.loading()) << "an empty outbox sends nothing";

    // The same page downloaded again, with a new entry waiting.
    outbox.append(kE1);
    delivery.readAnswerPage();
    EXPECT_EQ(accepted().count('\n'), 3);
    EXPECT_EQ(outbox.items(), QStringList{kE1});

    // The service holds each piece as it was written ("+" and "&" included).
    ASSERT_EQ(stopService(), 0);
    EXPECT_EQ(
        QString(service.list())
            .remove(QRegularExpression("^[^\t]*\t", QRegularExpression::MultilineOption)),
        QString("%1\t+447700900001\tHello\n%1\t+447700900002\ta+b & c=d\n%1\t+447700900003\tx\n")
            .arg("id+1&x"));
}

// The canned sign-on page carries the success text: answering no submission,
// it accepts nothing.
TEST_F(InternetDeliveryTest, AnswersThatAcceptNothingShowWhyAndKeepTheOutbox) {
    const QString unknown = "E:Unknown user. Please connect to Quorvel server again.";
    const QByteArray signOnPage = cannedPage(InternetDelivery::kAccepted);
    const auto stranger = [] { Setting::write(Setting::UserId, "not signed on"); };
    const struct {
        const char* name;
        QByteArray canned; // the answer to the submission; empty: the service's
        std::function<void()> afterSignOn;
        QString message;
        int times; // an "E:" text in hStatus1 is shown, then hstatus
    } cases[] = {
        {"no form", "<html><body><p>Service Unavailable</p></body></html>", {}, kError, 1},
        {"first form not f", cannedPage(InternetDelivery::kAccepted, "g"), {}, kError, 1},
        {"refused", {}, stranger, unknown.mid(2), 2},
        {"service gone", {}, [this] { stopService(); }, kError, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.canned.isEmpty())
            useCannedPages(signOnPage, c.canned);
        else
            Setting::write(Setting::ServerUrl, service.url());
        signOn();
        EXPECT_EQ(status.message(), "Connected to Quorvel server.");
        if (c.afterSignOn)
            c.afterSignOn();
        shown.clear();
        sendQueue();
        EXPECT_EQ(status.message(), c.message);
        EXPECT_EQ(shown.count(c.message), c.times);
        EXPECT_TRUE(status.visible() && status.okEnabled() && status.connectEnabled());
        EXPECT_FALSE(window.enabled);
        EXPECT_EQ(outbox.count(), 3);
        EXPECT_TRUE(accepted().isEmpty());
    }
}

// A server that redirects elsewhere, answers from another page, cuts its
// answer off or trickles it: the outbox goes nowhere but to the service's
// page, nothing is accepted but its whole answer to this client's own post,
// and a trickle ends at the deadline on the clock, with the buttons back.
TEST_F(InternetDeliveryTest, AnswersFromAnywhereButTheServicesPageAcceptNothing) {
    PageServer elsewhere;
    elsewhere.answer = [](const QByteArray&) { return cannedPage(InternetDelivery::kAccepted); };
    const QByteArray look = elsewhere.url().toUtf8() + "/quorvel/quorvel.asp";
    const QByteArray canned = cannedPage(InternetDelivery::kAccepted);
    // A page whose head promises `length` bytes.
    const auto ok = [](const QByteArray& body, qsizetype length = -1, bool hold = false) {
        return PageServer::Raw{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " +
                                   QByteArray::number(length < 0 ? body.size() : length) +
                                   "\r\n\r\n" + body,
                               hold};
    };
    const auto moved = [](const QByteArray& to) {
        return PageServer::Raw{"HTTP/1.1 303 See Other\r\nLocation: " + to +
                               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"};
    };
    using Answer = std::function<PageServer::Raw(const QByteArray& method, const QByteArray& path)>;
    const struct {
        const char* name;
        Answer answer; // to the post; the sign-on gets the canned page
        QString message;
    } cases[] = {
        {"sign-on redirected elsewhere",
         {},
         "Not connected to Quorvel server.\r\nConnect to Quorvel server and Try again."},
        {"form posting elsewhere", {}, kError},
        {"answer redirected elsewhere", [&](auto&, auto&) { return moved(look); }, kError},
        {"answer from another page of the server",
         [&](auto&, const QByteArray& path) {
             return path == "/other" ? ok(canned) : moved("/other");
         },
         "Connected to Quorvel server."},
        {"answer cut off",
         [&](auto&, auto&) { return ok(canned.left(canned.size() - 20), canned.size()); }, kError},
        {"answer trickling", [&](auto&, auto&) { return ok(canned.left(9), canned.size(), true); },
         kError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = c.name;
        Setting::write(Setting::ServerUrl, pages.url());
        pages.raw = [&](const QByteArray& method, const QByteArray& path) {
            if (method == "GET" && path.startsWith("/quorvel/quorvel.asp"))
                return name == "sign-on redirected elsewhere" ? moved(look)
                       : name == "form posting elsewhere"     ? ok(cannedPage("", "f", look))
                                                              : ok(canned);
            return c.answer(method, path);
        };
        signOn();
        std::optional<FakeClock> clock;
        if (name == "answer trickling")
            clock.emplace();
        delivery.submitOutbox();
        if (clock)
            clock->advanceMs(FormPage::kTransferTimeoutMs);
        waitForPage();
        EXPECT_EQ(status.message(), c.message);
        EXPECT_TRUE(status.visible() && status.okEnabled() && status.connectEnabled());
        EXPECT_EQ(outbox.count(), 3);
        EXPECT_TRUE(accepted().isEmpty());
        EXPECT_EQ(elsewhere.requests, 0);
    }
}

// The service over https with the office's own certificate: trusted only
// through the file SERVER_CA names, every certificate in it, and never by a
// file without one.
TEST_F(InternetDeliveryTest, AnHttpsServiceIsTrustedThroughTheFileServerCaNames) {
    // A self-signed certificate for this machine, made afresh: its PEM text.
    const auto makeCertificate = [this](const QString& name) {
        QProcess openssl;
        openssl.start("openssl",
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                       "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                       inst.file(name + ".key"), "-out", inst.file(name + ".pem")});
        openssl.waitForFinished(-1);
        EXPECT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
        return inst.bytes(name + ".pem");
    };
    const QByteArray other = makeCertificate("other");
    const QByteArray ours = makeCertificate("server");
    QSslConfiguration tls;
    tls.setLocalCertificate(QSslCertificate(ours));
    tls.setPrivateKey(QSslKey(inst.bytes("server.key"), QSsl::Rsa));
    PageServer https(tls);
    https.answer = [](const QByteArray&) { return cannedPage(InternetDelivery::kAccepted); };
    Setting::write(Setting::ServerUrl, https.url());
    const QString connected = "Connected to Quorvel server.";
    const struct {
        const char* name;
        std::optional<QByteArray> caFile; // nullopt: SERVER_CA unset (the first case only)
        QString message;
    } cases[] = {
        {"unset", std::nullopt, kError},
        {"the server's own", ours, connected},
        {"garbage", "-----BEGIN CERTIFICATE-----\nnot one\n-----END CERTIFICATE-----\n", kError},
        {"an office's bundle", other + "\n" + ours, connected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.caFile) {
            inst.writeBytes("ca.pem", *c.caFile);
            Setting::write(Setting::ServerCa, inst.file("ca.pem"));
        }
        const int served = https.requests;
        signOn();
        EXPECT_EQ(status.message(), c.message);
        if (c.message != connected) {
            EXPECT_EQ(https.requests, served);
            continue;
        }
        // The form goes over the same trust.
        outbox.append(kE1);
        sendQueue();
        EXPECT_EQ(status.message(), "SMS message(s) accepted for processing.");
        EXPECT_EQ(https.requests, served + 2);
    }
}

// A Send Queue after a lost answer carries the same token, so the service
// stores the entries once; its verdict ends the token (the same texts sent
// later are new messages); a page without the field gets none, as before.
TEST_F(InternetDeliveryTest, ARepeatAfterALostAnswerCarriesItsToken) {
    const QByteArray canned = cannedPage(InternetDelivery::kAccepted, "f", "quorvel.asp", true);
    int posts = 0;
    pages.raw = [&](const QByteArray& method, const QByteArray&) {
        const bool cut = method == "POST" && ++posts == 1;
        return PageServer::Raw{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " +
                               QByteArray::number(canned.size()) + "\r\n\r\n" +
                               (cut ? canned.left(canned.size() - 20) : canned)};
    };
    Setting::write(Setting::ServerUrl, pages.url());
    const auto token = [&](int request) {
        const QByteArray body = pages.bodies.value(request);
        return body.contains("hToken=") ? body.mid(body.indexOf("hToken=") + 7, 36) : "none";
    };
    signOn();
    sendQueue(); // its answer is lost
    EXPECT_TRUE(accepted().isEmpty());
    signOn();
    sendQueue();
    EXPECT_EQ(outbox.count(), 0);
    // The same entries once more, after their verdict: sent again, so a new token.
    for (const QString& e : {kE1, kE2, kE3})
        outbox.append(e);
    signOn();
    sendQueue();
    ASSERT_EQ(pages.bodies.size(), 6);
    EXPECT_EQ(token(1).size(), 36);
    EXPECT_EQ(token(3), token(1));
    EXPECT_NE(token(5), token(1));
    EXPECT_EQ(posts, 3);

    useCannedPages(cannedPage(""), cannedPage(InternetDelivery::kAccepted));
    pages.raw = {};
    outbox.append(kE2);
    signOn();
    sendQueue();
    EXPECT_EQ(token(7), "none");

    // Delivered but not recorded: the user is told, and they leave the outbox
    // all the same, so they are not sent twice.
    QList<Notice> told;
    QObject::connect(&delivery, &InternetDelivery::notice, [&](const Notice& n) { told << n; });
    const QString file = inst.file("Config\\AccpMsgs.dat");
    QFile::remove(file);
    QDir().mkpath(file);
    outbox.append(kE3);
    signOn();
    sendQueue();
    EXPECT_EQ(told, QList<Notice>{{"The accepted messages could not be added to " +
                                   QDir::toNativeSeparators(file) + "."}});
    EXPECT_TRUE(outbox.isEmpty());
}

// Only the service's own pages leave the cache (the match is case-sensitive).
TEST_F(InternetDeliveryTest, TheUserIdIsMadeOnceAndTheCacheLosesOnlyTheServicePages) {
    const QString id = Setting::read(Setting::UserId);
    EXPECT_EQ(id.size(), 36);
    ClientSettings::loadWithDefaults();
    EXPECT_EQ(Setting::read(Setting::UserId), id);

    QNetworkDiskCache cache;
    cache.setCacheDirectory(inst.root() + "/cache");
    const QStringList urls{"http://127.0.0.1:8480/quorvel/quorvel.asp",
                           "http://example.org/Quorvel.html", "http://example.org/news"};
    for (const QString& u : urls) {
        QNetworkCacheMetaData meta;
        meta.setUrl(QUrl(u));
        meta.setSaveToDisk(true);
        QIODevice* d = cache.prepare(meta);
        d->write("page");
        cache.insert(d);
    }
    EXPECT_EQ(ServerCache::ClearServerCache(cache), 1);
    for (const QString& u : urls)
        EXPECT_EQ(cache.metaData(QUrl(u)).isValid(), u != urls[0]) << u.toStdString();
}
