#include "net/HttpDownloader.h"

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
                                         followRefresh, cap);
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
    EXPECT_EQ(server_.LastHeader("/binary", "User-Agent"),
              "Mozilla/2.0 (compatible; MSIE 3.02; Windows CE; 240x320)");

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

TEST_F(HttpDownloaderTest, StatusDecidesOnlyWhenHeadersAreRead) {
    server_.SetBody("/missing", "gone", 404);
    ASSERT_TRUE(Fetch("/missing"));
    EXPECT_EQ(Stored(), "gone");

    CHttpDownloader::SkipHeaders = false;
    EXPECT_FALSE(Fetch("/missing"));
    EXPECT_FALSE(QFile::exists(target_));
    // The target is deleted first, whatever the outcome.
    EXPECT_FALSE(CHttpDownloader::Download("http://127.0.0.1:1/", target_, false, "", false));
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
    EXPECT_FALSE(QFile::exists(target_));
    CHttpDownloader::CancelRequested = false;

    LoopbackServer::Response endless;
    endless.body = QByteArray(64 * 1024, 'e');
    endless.endless = true;
    server_.Set("/endless", endless);
    EXPECT_FALSE(Fetch("/endless", false, 1024 * 1024));
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
    EXPECT_FALSE(QFile::exists(target_));
    tls.kill();
    tls.waitForFinished();
}

TEST_F(HttpDownloaderTest, KeptSessionServesSeveralDownloads) {
    server_.SetBody("/one", "1");
    server_.SetBody("/two", "2");
    CHttpDownloader::KeepSession = true;
    EXPECT_TRUE(Fetch("/one"));
    EXPECT_TRUE(Fetch("/two"));
    EXPECT_EQ(Stored(), "2");
    CHttpDownloader::KeepSession = false;
    CHttpDownloader::CloseCachedSession();
}

} // namespace
