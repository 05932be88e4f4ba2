// Tests of the HTTP fetcher on a loopback server.

#include "net/HttpDownloader.h"

#include "net/ConnectionCheck.h"
#include "support/LoopbackServer.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <gtest/gtest.h>
#include <thread>

namespace {

class HttpDownloaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        CHttpDownloader::SkipHeaders = true;
        CHttpDownloader::CancelRequested = false;
        target_ = env_.Path("webData.htm");
    }
    void TearDown() override { CHttpDownloader::SkipHeaders = true; }

    bool Fetch(const std::string& path, bool followRefresh = false,
               qint64 cap = CHttpDownloader::DefaultSizeCap) {
        return CHttpDownloader::Download(server_.Url(path), target_, false, QString(),
                                         followRefresh, {cap, CHttpDownloader::DefaultTimeLimitMs});
    }

    QByteArray Stored() {
        QFile file(target_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }

    TestEnvironment env_;
    LoopbackServer server_;
    QString target_;
};

TEST_F(HttpDownloaderTest, StoresTheBodyAsReceived) {
    server_.SetBody("/empty", "");
    ASSERT_TRUE(Fetch("/empty"));
    EXPECT_EQ(Stored(), "");

    const QByteArray binary("\x00\xff\r\n\x1f\x8b body", 11);
    server_.SetBody("/binary", binary);
    ASSERT_TRUE(Fetch("/binary"));
    EXPECT_EQ(Stored(), binary);
    EXPECT_EQ(server_.LastHeader("/binary", "User-Agent"), "Quillpost/" QUILLPOST_VERSION);

    LoopbackServer::Response gzip;
    gzip.body = QByteArray(20000, 'z');
    gzip.gzip = true;
    server_.Set("/gzip", gzip);
    ASSERT_TRUE(Fetch("/gzip"));
    EXPECT_EQ(Stored(), gzip.body);

    server_.SetRedirect("/moved", "/binary");
    ASSERT_TRUE(Fetch("/moved"));
    EXPECT_EQ(Stored(), binary);
}

TEST_F(HttpDownloaderTest, ErrorStatusesFailWhateverSkipHeadersSays) {
    const struct {
        int status;
        bool skipHeaders;
        bool stored;
    } cases[] = {
        {404, true, false}, {500, true, false},  {404, false, false},
        {203, true, true},  {203, false, false}, {200, false, true},
    };
    for (const auto& c : cases) {
        env_.WriteFile("webData.htm", "previous");
        server_.SetBody("/page", "body", c.status);
        CHttpDownloader::SkipHeaders = c.skipHeaders;
        EXPECT_EQ(Fetch("/page"), c.stored) << c.status;
        // Only a whole body replaces what stood at the target.
        EXPECT_EQ(Stored(), c.stored ? "body" : "previous") << c.status;
        EXPECT_EQ(CHttpDownloader::LastFailure(),
                  c.stored ? QString() : QString("HTTP %1").arg(c.status));
    }
}

TEST_F(HttpDownloaderTest, FailuresSayWhy) {
    server_.SetBody("/big", QByteArray(4096, 'b'));
    const struct {
        QString url;
        qint64 cap;
        const char* reason;
    } cases[] = {
        {server_.Url("/nowhere"), CHttpDownloader::DefaultSizeCap, "HTTP 404"},
        {"http://127.0.0.1:1/feed", CHttpDownloader::DefaultSizeCap, "could not connect"},
        {"file:///etc/hostname", CHttpDownloader::DefaultSizeCap, "not an http or https address"},
        {"/not/an/address", CHttpDownloader::DefaultSizeCap, "not an http or https address"},
        {server_.Url("/big"), 1024, "larger than 1 KB"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(CHttpDownloader::Download(c.url, target_, false, "", false,
                                               {c.cap, CHttpDownloader::DefaultTimeLimitMs}));
        EXPECT_EQ(CHttpDownloader::LastFailure(), c.reason) << c.url.toStdString();
        EXPECT_FALSE(QFile::exists(target_));
    }
}

TEST_F(HttpDownloaderTest, TricklingBodyIsCutByTheOverallLimit) {
    // Two bytes every 200 ms never trip the stall limit; the whole body would take 20 s.
    server_.Set("/trickle", LoopbackServer::Slow(QByteArray(200, 't'), 2, 200));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(CHttpDownloader::Download(server_.Url("/trickle"), target_, false, "", false,
                                           {CHttpDownloader::DefaultSizeCap, 1500}));
    EXPECT_LT(timer.elapsed(), 9000); // before the stall limit could have ended it
    EXPECT_EQ(CHttpDownloader::LastFailure(), "timed out");
    EXPECT_FALSE(QFile::exists(target_));
}

TEST_F(HttpDownloaderTest, FollowsARefreshPageOnce) {
    const struct {
        const char* page;
        const char* target;
    } cases[] = {
        {"<meta http-equiv=\"refresh\" content=\"0; URL=/Next\">", "/next"},
        {"<meta http-equiv='refresh' content='0;url=page2'>", "/a/page2"},
        {"<META HTTP-EQUIV=REFRESH CONTENT=\"0; url=http://127.0.0.1:%1/abs\">", "/abs"},
    };
    server_.SetBody("/next", "<meta http-equiv=\"refresh\" content=\"0; url=/again\">");
    server_.SetBody("/a/page2", "second");
    server_.SetBody("/abs", "absolute");
    for (const auto& c : cases) {
        server_.SetBody("/a/b", QString::fromLatin1(c.page).arg(server_.Port()).toLatin1());
        const int before = server_.Hits(c.target);
        ASSERT_TRUE(Fetch("/a/b", true)) << c.page;
        EXPECT_EQ(server_.Hits(c.target), before + 1) << c.page;
    }
    EXPECT_EQ(server_.Hits("/again"), 0); // followed only once

    server_.SetBody("/plain", "<meta content=\"0; url=/next\">");
    ASSERT_TRUE(Fetch("/plain", true));
    EXPECT_EQ(Stored(), "<meta content=\"0; url=/next\">");
    ASSERT_TRUE(Fetch("/a/b", false));
    EXPECT_EQ(server_.Hits("/abs"), 1);
}

TEST_F(HttpDownloaderTest, CancelAndCapsLeaveNoFile) {
    LoopbackServer::Response slow = LoopbackServer::Slow(QByteArray(200, 's'), 10, 50);
    server_.Set("/slow", slow);
    std::thread canceller([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        CHttpDownloader::CancelRequested = true;
    });
    EXPECT_FALSE(Fetch("/slow"));
    canceller.join();
    EXPECT_EQ(CHttpDownloader::LastFailure(), "cancelled");
    EXPECT_FALSE(QFile::exists(target_));
    CHttpDownloader::CancelRequested = false;

    LoopbackServer::Response endless;
    endless.body = QByteArray(64 * 1024, 'e');
    endless.endless = true;
    server_.Set("/endless", endless);
    EXPECT_FALSE(Fetch("/endless", false, 1024 * 1024));
    EXPECT_EQ(CHttpDownloader::LastFailure(), "larger than 1024 KB");
    EXPECT_FALSE(QFile::exists(target_));
    // Without a cap of the caller's, a body stops at 50 MB.
    EXPECT_FALSE(Fetch("/endless"));
    EXPECT_FALSE(QFile::exists(target_));
}

TEST_F(HttpDownloaderTest, HungServerEndsInFailure) {
    LoopbackServer::Response hang;
    hang.hang = true;
    server_.Set("/hang", hang);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(Fetch("/hang"));
    EXPECT_GE(timer.elapsed(), 9000);
    EXPECT_LT(timer.elapsed(), 30000);
    EXPECT_EQ(CHttpDownloader::LastFailure(), "timed out");
    EXPECT_FALSE(QFile::exists(target_));
}

TEST_F(HttpDownloaderTest, UntrustedCertificatesAreRefused) {
    const QString key = env_.Path("key.pem"), cert = env_.Path("cert.pem");
    ASSERT_EQ(
        QProcess::execute("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                                      key, "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1"}),
        0);
    QTcpServer portFinder;
    ASSERT_TRUE(portFinder.listen(QHostAddress::LocalHost));
    const quint16 port = portFinder.serverPort();
    portFinder.close();
    QProcess tls;
    tls.start("openssl", {"s_server", "-quiet", "-www", "-accept", QString::number(port), "-cert",
                          cert, "-key", key});
    ASSERT_TRUE(tls.waitForStarted());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(CHttpDownloader::Download(QString("https://127.0.0.1:%1/").arg(port), target_,
                                           false, "", false));
    EXPECT_EQ(CHttpDownloader::LastFailure(), "certificate not trusted");
    EXPECT_FALSE(QFile::exists(target_));
    tls.kill();
    tls.waitForFinished();
}

TEST_F(HttpDownloaderTest, SessionServesSeveralDownloads) {
    server_.SetBody("/one", "1");
    server_.SetBody("/two", "2");
    CHttpDownloader::StartSession(24, 2);
    EXPECT_TRUE(Fetch("/one"));
    EXPECT_TRUE(Fetch("/two"));
    EXPECT_EQ(Stored(), "2");
    CHttpDownloader::EndSession();
}

// Run under the sanitizer build: transfers that fail before they connect once left the kept
// handle with a receive buffer smaller than what the next transfer wrote into it.
TEST_F(HttpDownloaderTest, SessionSurvivesFailedTransfers) {
    QByteArray large;
    for (int i = 0; large.size() < 64 * 1024; ++i)
        large += QByteArray::number(i) + ' ';
    server_.SetBody("/large", large);
    CHttpDownloader::BufferSize = 1024;
    CHttpDownloader::StartSession(24, 2);
    for (const QString dead : {"file:///etc/hostname", "/not/an/address", "http://127.0.0.1:1/"}) {
        EXPECT_FALSE(CHttpDownloader::Download(dead, target_, false, "", false))
            << dead.toStdString();
        ASSERT_TRUE(Fetch("/large")) << dead.toStdString();
        EXPECT_EQ(Stored(), large) << dead.toStdString();
    }
    // An option libcurl refuses fails the transfer and says which; the next one still works.
    const QString overlong = server_.Url("/") + QString(9 * 1024 * 1024, 'a');
    EXPECT_FALSE(CHttpDownloader::Download(overlong, target_, false, "", false));
    EXPECT_TRUE(CHttpDownloader::LastFailure().startsWith("libcurl refused the option URL: "))
        << CHttpDownloader::LastFailure().toStdString();
    ASSERT_TRUE(Fetch("/large"));
    EXPECT_EQ(Stored(), large);
    CHttpDownloader::EndSession();
    CHttpDownloader::BufferSize = 4096;
}

// Where a download goes: through the user's proxy server, through none at all, or through the
// system's, here named by the *_proxy environment as a desktop session names it. Each proxy is
// a loopback server that answers for the feed's address with a body of its own.
TEST_F(HttpDownloaderTest, DownloadsGoThroughTheChosenProxy) {
    const std::string feed = server_.Url("/feed.xml").toStdString();
    server_.SetBody("/feed.xml", "direct");
    LoopbackServer system;
    LoopbackServer users;
    system.SetBody(feed, "system");
    users.SetBody(feed, "user's");
    const QByteArray savedProxy = qgetenv("http_proxy");
    const QByteArray savedNoProxy = qgetenv("no_proxy");
    qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(system.Port()));
    qunsetenv("no_proxy");

    NetworkSettings none;
    none.systemProxy = false;
    NetworkSettings user;
    user.useProxy = true;
    user.proxyAddress = QStringLiteral("127.0.0.1");
    user.proxyPort = QString::number(users.Port());
    NetworkSettings userWithoutAddress = user;
    userWithoutAddress.proxyAddress.clear();
    const struct {
        const char* name;
        NetworkSettings settings;
        QByteArray body;
    } cases[] = {{"the system's, by default", NetworkSettings(), "system"},
                 {"none", none, "direct"},
                 {"the user's", user, "user's"},
                 {"the user's without an address: the system's", userWithoutAddress, "system"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProxyArguments proxy = ProxyFor(c.settings);
        EXPECT_TRUE(CHttpDownloader::Download(QString::fromStdString(feed), target_, proxy.useProxy,
                                              proxy.proxy, false));
        EXPECT_EQ(Stored(), c.body);
    }
    if (savedProxy.isEmpty())
        qunsetenv("http_proxy");
    else
        qputenv("http_proxy", savedProxy);
    if (!savedNoProxy.isEmpty())
        qputenv("no_proxy", savedNoProxy);
}

// A program started while the machine is offline sees the network come back: the connection
// test fails, a default route appears, and the same process then reaches the server. Run in a
// network namespace of its own, started without a route (skipped where none can be made).
TEST(OfflineStartTest, TheConnectionTestWorksOnceTheNetworkComesBack) {
    TestEnvironment env;
    QProcess helper;
    helper.start(QStringLiteral("unshare"),
                 {QStringLiteral("-rn"), QStringLiteral(NET_TEST_HELPER)});
    ASSERT_TRUE(helper.waitForFinished(60000));
    const QString out = QString::fromUtf8(helper.readAllStandardOutput());
    if (helper.exitCode() == 1 || helper.exitCode() == 2)
        GTEST_SKIP() << "no network namespace here: "
                     << helper.readAllStandardError().toStdString();
    ASSERT_EQ(helper.exitCode(), 0) << out.toStdString();
    EXPECT_EQ(out.split(u'\n', Qt::SkipEmptyParts),
              QStringList({"Failure: A connection to the Internet is not available.",
                           "Success: The Internet Connection is OK."}));
}

} // namespace
