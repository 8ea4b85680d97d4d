#include "client/internet/InternetDelivery.h"
#include "client/internet/FormPage.h"
#include "client/internet/InternetControls.h"
#include "client/internet/ServerCache.h"
#include "client/internet/ServerStatus.h"
#include "client/outbox/EntryList.h"
#include "client/settings/ClientSettings.h"
#include "common/Setting.h"
#include "support/PageServer.h"
#include "support/ScriptedMessageBox.h"
#include "support/ServicePages.h"
#include "support/TestInstallation.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

const QString kE1 = "[1] 05/12/2026 16:20:00 +447700900001 Hello";
const QString kE2 = "[2] 05/12/2026 16:20:00 +447700900002 a+b & c=d";
const QString kE3 = "Processing::[3] 05/12/2026 16:20:00 +447700900003 x";
const QString kError = "Error connecting to Quorvel server.\r\nPlease try again later...";

struct Window : InternetControls {
    void setMainWindowEnabled(bool on) override { enabled = on; }
    void showMainWindow() override {}
    void setRemaining(const QString& text) override { remaining = text; }
    bool enabled = true;
    QString remaining;
};

// The delivery against a web server on this machine, signed on as the
// client would be when OK confirmed the Internet connection.
class InternetDeliveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        inst.writeBytes("Config\\AccpMsgs.dat", "");
        settings = ClientSettings::loadWithDefaults();
        settings.connection = ConnectionType::InternetChosenNow;
        Setting::write(Setting::ServerUrl, server.url());
        Setting::write(Setting::UserMobile, "+447700900009");
        Setting::write(Setting::UserEmail, "me@example.org");
        QObject::connect(&status, &ServerStatus::shown, [this](const QString& m) { shown << m; });
    }
    void waitForPage() {
        if (!page.loading())
            return;
        QEventLoop loop;
        QObject::connect(&page, &FormPage::downloadComplete, &loop, &QEventLoop::quit);
        loop.exec();
    }
    void signOn() {
        server.answer = [](const PageServer::Request& r) {
            return r.method == "GET" ? ServicePages::signOn() : ServicePages::accepted();
        };
        delivery.signOn();
        waitForPage();
        status.cmdClose_Click();
    }
    void sendQueue() {
        delivery.Command2_Click();
        waitForPage();
    }
    QByteArray accepted() const { return inst.bytes("Config\\AccpMsgs.dat"); }

    TestInstallation inst;
    ScriptedMessageBox boxes;
    PageServer server;
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
        [this] { return inst.appPath(); }, {outbox, queue}, page, status, window, settings,
        [this] { ++cacheClears; }};
};

} // namespace

TEST_F(InternetDeliveryTest, SendQueuePostsTheOutboxInFormFAndTheSuccessMovesItOnce) {
    signOn();
    EXPECT_TRUE(window.enabled && !status.visible()) << "Ok closes the window";
    sendQueue();
    ASSERT_EQ(server.requests.size(), 2);
    const PageServer::Request& post = server.requests.last();
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.target, "/quorvel/quorvel.asp");
    EXPECT_TRUE(post.body.contains("a%2Bb%20%26%20c%3Dd")) << post.body.constData();
    const QUrlQuery form(QString::fromUtf8(post.body).replace('+', ' '));
    const QString t = form.queryItemValue("T", QUrl::FullyDecoded);
    EXPECT_EQ(t, "+447700900001 Hello#+447700900002 a+b & c=d#+447700900003 x");
    EXPECT_EQ(t.count('#'), 2);
    EXPECT_EQ(form.queryItemValue("hMode") + form.queryItemValue("hUsername"),
              "save" + Setting::read(Setting::UserId));
    EXPECT_EQ(form.queryItemValue("hMobile", QUrl::FullyDecoded), "+447700900009");
    EXPECT_EQ(cacheClears, 2);

    EXPECT_EQ(accepted(), (kE1 + "\r\n" + kE2 + "\r\n" + kE3 + "\r\n").toUtf8());
    EXPECT_TRUE(outbox.isEmpty() && queue.isEmpty());
    EXPECT_EQ(status.message(), "SMS message(s) accepted for processing.");
    EXPECT_TRUE(status.visible() && status.okEnabled() && !status.connectEnabled());
    EXPECT_FALSE(window.enabled);
    EXPECT_EQ(window.remaining, "97 SMS message(s) remaining today.");

    // The same page downloaded again, with a new entry waiting.
    outbox.append(kE1);
    delivery.webConnection_DownloadComplete();
    EXPECT_EQ(accepted().count('\n'), 3);
    EXPECT_EQ(outbox.items(), QStringList{kE1});
}

TEST_F(InternetDeliveryTest, AnswersThatAcceptNothingShowWhyAndKeepTheOutbox) {
    const QString allowance = "E:Daily allowance exceeded: 2 message(s) remaining today.";
    const struct {
        const char* name;
        QByteArray answer; // empty: the server has gone
        QString message;
        int times; // an "E:" text in hStatus1 is shown, then hstatus
    } cases[] = {
        {"no form", ServicePages::withoutForms(), kError, 1},
        {"first form not f",
         ServicePages::page("D:SMS message(s) accepted for processing.", "", "g"), kError, 1},
        {"refused", ServicePages::refused(allowance), allowance.mid(2), 2},
        {"server gone", {}, kError, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        signOn();
        shown.clear();
        server.answer = [&](const PageServer::Request&) { return c.answer; };
        if (c.answer.isEmpty())
            server.close();
        sendQueue();
        EXPECT_EQ(status.message(), c.message);
        EXPECT_EQ(shown.count(c.message), c.times);
        EXPECT_TRUE(status.visible() && status.okEnabled() && status.connectEnabled());
        EXPECT_FALSE(window.enabled);
        EXPECT_EQ(outbox.count(), 3);
        EXPECT_TRUE(accepted().isEmpty());
    }
}

TEST_F(InternetDeliveryTest, NothingIsSentWithoutAPageOrEntriesAndASignOnMovesNothing) {
    delivery.Command2_Click();
    EXPECT_EQ(status.message(),
              "Not connected to Quorvel server.\r\nConnect to Quorvel server and Try again.");
    EXPECT_TRUE(status.visible() && status.okEnabled() && status.connectEnabled());
    EXPECT_FALSE(window.enabled);
    // Even a sign-on page carrying the success text accepts nothing.
    server.answer = [](const PageServer::Request&) { return ServicePages::accepted(); };
    delivery.signOn();
    waitForPage();
    EXPECT_EQ(status.message(), "Connected to Quorvel server.");
    EXPECT_EQ(outbox.count(), 3);
    EXPECT_TRUE(accepted().isEmpty());
    outbox.clear();
    delivery.Command2_Click();
    EXPECT_EQ(server.requests.size(), 1) << "an empty outbox sends nothing";
}

TEST_F(InternetDeliveryTest, TheSignOnQueryAndAFormThatSaysGetEncodeEveryKeyAndValue) {
    Setting::write(Setting::UserId, "id+1&x");
    Setting::write(Setting::UserEmail, "a+b@c.d&e=f");
    Setting::write(Setting::ServerUrl, server.url() + "/");
    signOn();
    Setting::write(Setting::UserMobile, "");
    server.answer = [](const PageServer::Request&) {
        return ServicePages::page("C:Connected to Quorvel server.", "", "f", "GET");
    };
    delivery.signOn();
    waitForPage();
    sendQueue();
    ASSERT_EQ(server.requests.size(), 3);
    EXPECT_EQ(server.requests[0].target,
              "/quorvel/quorvel.asp?UN=id%2B1%26x&M=%2B447700900009&E=a%2Bb%40c.d%26e%3Df");
    EXPECT_EQ(server.requests[1].target, "/quorvel/quorvel.asp?UN=id%2B1%26x");
    EXPECT_EQ(server.requests[2].method, "GET");
    EXPECT_TRUE(server.requests[2].target.startsWith(
        "/quorvel/quorvel.asp?T=%2B447700900001%20Hello%23%2B447700900002%20a%2Bb%20%26"));
}

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
    EXPECT_FALSE(cache.metaData(QUrl(urls[0])).isValid());
    EXPECT_TRUE(cache.metaData(QUrl(urls[1])).isValid()) << "the match is case-sensitive";
    EXPECT_TRUE(cache.metaData(QUrl(urls[2])).isValid());
}
